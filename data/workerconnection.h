#pragma once
// A read on a second connection in a worker thread (footer sums, the rest of a long list's keys):
// the connection is opened, used and closed by the thread that runs this, as connections belong
// to the thread that opens them. The thread gives way to the window's: on two cores the first
// screen is drawn while these read, and should not share its core with them.
#include "data/database.h"

#include <functional>
#include <memory>
#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

// The calling thread from now on takes a core mostly when the process's other threads (and the
// machine's at the usual priority) leave one free. Linux keeps a priority per thread; elsewhere nothing.
inline void yieldToOtherThreads()
{
#ifdef Q_OS_LINUX
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
#endif
}

// On a worker thread: opens db (unopened, from Database::another()) on location, runs work on it and closes it; false
// with the engine's text in *error when either fails.
inline bool readOnWorkerConnection(std::unique_ptr<Database>& db, const QString& location, const std::function<void(Database&)>& work,
                                   QString* error)
{
    yieldToOtherThreads();
    bool ok = false;
    try {
        QString err;
        if (!db->open(location, &err))
            throw DbError(err);
        work(*db);
        ok = true;
    } catch (const DbError& e) {
        *error = e.text();
    }
    db.reset();
    return ok;
}
