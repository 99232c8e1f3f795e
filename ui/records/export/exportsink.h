#pragma once
// Buffered writing of an export file as it is produced: the writers append to a chunk that goes to
// the device whenever it fills, so a long list never sits in memory as a whole file.
#include <QByteArray>
#include <QFileDevice>
#include <QIODevice>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

// Bytes gathered in memory, grown without filling the new room: the writers write their escapes in
// place, and a gigabyte of output passes here.
class ByteBuffer {
public:
    char* data() { return m_data.get(); }
    const char* data() const { return m_data.get(); }
    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    void clear() { m_size = 0; }
    void reserve(size_t n)
    {
        if (n > m_capacity)
            regrow(n);
    }
    // Room for n more bytes behind the end, whose content is undefined; the size is unchanged until
    // setEnd() marks where writing stopped.
    char* room(size_t n)
    {
        if (m_size + n > m_capacity)
            regrow(std::max(m_size + n, m_capacity * 2));
        return m_data.get() + m_size;
    }
    void setEnd(const char* end) { m_size = size_t(end - m_data.get()); }
    void append(const char* p, size_t n)
    {
        char* at = room(n);
        if (n)
            memcpy(at, p, n);
        m_size += n;
    }
    void push_back(char c) { *room(1) = c, ++m_size; }

private:
    void regrow(size_t capacity)
    {
        std::unique_ptr<char[]> grown(new char[capacity]);  // not value-initialised: no zero fill
        if (m_size)
            memcpy(grown.get(), m_data.get(), m_size);
        m_data = std::move(grown);
        m_capacity = capacity;
    }

    std::unique_ptr<char[]> m_data;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

class ExportSink {
public:
    explicit ExportSink(QIODevice* device) : m_device(device), m_origin(device->pos()) { m_buffer.reserve(kChunk + 65536); }
    ~ExportSink() = default;
    ExportSink(const ExportSink&) = delete;
    ExportSink& operator=(const ExportSink&) = delete;

    static constexpr qsizetype kChunk = 256 * 1024;

    void append(const char* data, qsizetype n)
    {
        m_buffer.append(data, n);
        spill();
    }
    void append(const QByteArray& data)
    {
        m_buffer.append(data.constData(), size_t(data.size()));
        spill();
    }
    void append(char c)
    {
        m_buffer.push_back(c);
        spill();
    }
    void append(QLatin1StringView s)
    {
        m_buffer.append(s.data(), s.size());
        spill();
    }
    void appendBytes(std::string_view s)
    {
        m_buffer.append(s.data(), s.size());
        spill();
    }
    // Room for at most n more bytes, written in place; wrote() keeps them up to where writing ended.
    char* room(size_t n) { return m_buffer.room(n); }
    void wrote(const char* end)
    {
        m_buffer.setEnd(end);
        spill();
    }
    // The same bytes as text.toUtf8(), without a temporary array for every cell.
    void appendUtf8(QStringView text);

    // The whole content of another file, from its start (the workbook's sheets gathered aside).
    bool appendFile(QFileDevice& source);

    // The file is saved to the disk when complete (QSaveFile): the bytes written go to the disk as the
    // file grows rather than all at the end, so that the final sync has little left to wait for.
    void writeBackAsWritten() { m_writeBack = true; }

    // Bytes written so far, counted from where the device stood when the sink was made.
    qint64 pos() const { return m_written + qint64(m_buffer.size()); }
    // Overwrites bytes already written (headers whose counts are known only at the end).
    bool patch(qint64 at, const char* data, qsizetype n);
    bool flush();
    bool ok() const { return m_error.isEmpty(); }
    // Marks the output as failed for a reason outside the sink (a scratch file beside it).
    void fail(const QString& why)
    {
        if (ok())
            m_error = why.isEmpty() ? QStringLiteral("write failed") : why;
    }
    QString errorString() const { return m_error; }

private:
    void spill()
    {
        if (m_buffer.size() >= size_t(kChunk))
            flush();
    }

    void startWriteBack();

    QIODevice* m_device;
    qint64 m_origin;
    bool m_writeBack = false;
    qint64 m_writtenBack = 0;  // of the device's bytes from m_origin on, the part whose writing is started
    ByteBuffer m_buffer;
    qint64 m_written = 0;
    QString m_error;
};
