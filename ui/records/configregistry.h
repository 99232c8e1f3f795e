#pragma once
// The rows of one kind of window configuration that the modules have registered, found by class
// name: a window class's spec() (registerWindow<W>()) or a configured window's row. A window uses its
// own row directly; the lookup serves what is named by class (a list's query dialog, the start-up
// check). Adding a class again replaces its row.
#include <QString>
#include <QVector>
#include <algorithm>

template <typename Config>
class ConfigRegistry {
public:
    static ConfigRegistry& instance()
    {
        static ConfigRegistry r;
        return r;
    }
    const QVector<Config>& rows() const { return m_rows; }
    const Config* find(const QString& className) const
    {
        for (const Config& c : m_rows)
            if (c.className == className)
                return &c;
        return nullptr;
    }
    void add(const QVector<Config>& rows)
    {
        for (const Config& r : rows) {
            auto it = std::find_if(m_rows.begin(), m_rows.end(), [&](const Config& c) { return c.className == r.className; });
            if (it != m_rows.end())
                *it = r;
            else
                m_rows << r;
        }
    }

private:
    QVector<Config> m_rows;
};
