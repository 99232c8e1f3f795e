#pragma once
// Buffered writing of an export file as it is produced: the writers append to a chunk that goes to
// the device whenever it fills, so a long list never sits in memory as a whole file.
#include <QByteArray>
#include <QFileDevice>
#include <QIODevice>
#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

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
        m_buffer.append(s);
        spill();
    }
    // Room for at most n more bytes, written in place; wrote() keeps them up to where writing ended.
    char* room(size_t n)
    {
        const size_t at = m_buffer.size();
        m_buffer.resize(at + n);
        return m_buffer.data() + at;
    }
    void wrote(const char* end)
    {
        m_buffer.resize(size_t(end - m_buffer.data()));
        spill();
    }
    // The same bytes as text.toUtf8(), without a temporary array for every cell.
    void appendUtf8(QStringView text);

    // The whole content of another file, from its start (the workbook's sheets gathered aside).
    bool appendFile(QFileDevice& source);

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

    QIODevice* m_device;
    qint64 m_origin;
    std::string m_buffer;
    qint64 m_written = 0;
    QString m_error;
};
