#include "ui/common/windowregistry.h"

#include <QHash>

namespace {
QHash<QString, WindowFactory>& table()
{
    static QHash<QString, WindowFactory> t;
    return t;
}
} // namespace

namespace WindowRegistry {
void add(const QString& className, WindowFactory factory) { table().insert(className, std::move(factory)); }
WindowFactory find(const QString& className) { return table().value(className); }
void clear() { table().clear(); }
QStringList names()
{
    QStringList out = table().keys();
    out.sort();
    return out;
}
} // namespace WindowRegistry
