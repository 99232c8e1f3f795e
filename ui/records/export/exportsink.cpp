#include "ui/records/export/exportsink.h"

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <unistd.h>
#endif

void ExportSink::appendUtf8(QStringView text)
{
    char* out = m_buffer.room(size_t(text.size()) * 3);
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80) {
            *out++ = char(u);
        } else if (u < 0x800) {
            *out++ = char(0xC0 | (u >> 6));
            *out++ = char(0x80 | (u & 0x3F));
        } else if (u >= 0xD800 && u < 0xE000) {
            // pairs and stray halves follow Qt's own encoder, which the files were always written with
            const QByteArray bytes = text.toUtf8();
            m_buffer.append(bytes.constData(), size_t(bytes.size()));
            spill();
            return;
        } else {
            *out++ = char(0xE0 | (u >> 12));
            *out++ = char(0x80 | ((u >> 6) & 0x3F));
            *out++ = char(0x80 | (u & 0x3F));
        }
    }
    m_buffer.setEnd(out);
    spill();
}

bool ExportSink::flush()
{
    if (!m_buffer.empty() && ok() && m_device->write(m_buffer.data(), qint64(m_buffer.size())) != qint64(m_buffer.size()))
        m_error = m_device->errorString().isEmpty() ? QStringLiteral("write failed") : m_device->errorString();
    m_written += qint64(m_buffer.size());
    m_buffer.clear();
    if (m_writeBack && ok())
        startWriteBack();
    return ok();
}

void ExportSink::startWriteBack()
{
#ifdef Q_OS_LINUX
    // In steps of several megabytes: the system starts writing them and returns at once.
    constexpr qint64 kStep = 8 << 20;
    if (m_written - m_writtenBack < kStep)
        return;
    auto* file = qobject_cast<QFileDevice*>(m_device);
    if (!file || file->handle() < 0 || !file->flush())
        return;
    ::sync_file_range(file->handle(), m_origin + m_writtenBack, m_written - m_writtenBack, SYNC_FILE_RANGE_WRITE);
    m_writtenBack = m_written;
#endif
}

bool ExportSink::patch(qint64 at, const char* data, qsizetype n)
{
    if (at + n > m_written) {  // still in the chunk
        if (at >= m_written) {
            memcpy(m_buffer.data() + (at - m_written), data, n);
            return ok();
        }
        flush();
    }
    if (!ok())
        return false;
    const qint64 end = m_device->pos();
    if (!m_device->seek(m_origin + at) || m_device->write(data, n) != n || !m_device->seek(end)) {
        m_error = m_device->errorString().isEmpty() ? QStringLiteral("seek failed") : m_device->errorString();
        return false;
    }
    return true;
}

bool ExportSink::appendFile(QFileDevice& source)
{
    if (!flush())
        return false;
    if (!source.flush()) {
        fail(source.errorString());
        return false;
    }
    qint64 done = 0;
#ifdef Q_OS_LINUX
    // Between two files the system copies the bytes itself, without passing them through the process.
    auto* target = qobject_cast<QFileDevice*>(m_device);
    if (target && target->flush() && target->handle() >= 0 && source.handle() >= 0) {
        const qint64 size = source.size();
        loff_t from = 0, to = target->pos();
        while (done < size) {
            const ssize_t n = ::copy_file_range(source.handle(), &from, target->handle(), &to, size_t(size - done), 0);
            if (n <= 0)
                break;
            done += n;
        }
        if (done > 0 && !target->seek(to)) {
            fail(target->errorString());
            return false;
        }
        m_written += done;
    }
#endif
    // The rest through the process: another kind of device, or files the system does not copy between.
    if (!source.seek(done)) {
        fail(source.errorString());
        return false;
    }
    QByteArray chunk;
    while (ok()) {
        chunk = source.read(kChunk);
        if (chunk.isEmpty())
            break;
        append(chunk);
    }
    if (source.error() != QFileDevice::NoError)
        fail(source.errorString());
    return ok();
}
