#pragma once
// A read on a second connection in a worker thread (footer sums, the rest of a long list's keys):
// the connection is opened, used and closed by the thread that runs this, as connections belong
// to the thread that opens them.
#include "data/database.h"

#include <functional>
#include <memory>

// Opens db (unopened, from Database::another()) on location, runs work on it and closes it; false
// with the engine's text in *error when either fails.
inline bool readOnWorkerConnection(std::unique_ptr<Database>& db, const QString& location, const std::function<void(Database&)>& work,
                                   QString* error)
{
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
