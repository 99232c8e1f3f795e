#include "ui/common/windowregistry.h"

#include <QHash>
#include <QMetaObject>

namespace {
QHash<QString, WindowFactory>& table()
{
    static QHash<QString, WindowFactory> t;
    return t;
}
}  // namespace

namespace WindowRegistry {
void add(const QString& className, WindowFactory factory)
{
    table().insert(className, std::move(factory));
}
void add(const QMetaObject& windowClass, WindowFactory factory)
{
    add(QString::fromLatin1(windowClass.className()), std::move(factory));
}
WindowFactory find(const QString& className)
{
    return table().value(className);
}
WindowFactory find(const QMetaObject& windowClass)
{
    return find(QString::fromLatin1(windowClass.className()));
}
void clear()
{
    table().clear();
}
QStringList names()
{
    QStringList out = table().keys();
    out.sort();
    return out;
}
}  // namespace WindowRegistry
