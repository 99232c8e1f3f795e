#include "ui/common/inputmethods.h"

#include <QWidget>

namespace InputMethods {

namespace {
std::optional<QStringList>& fixed()
{
    static std::optional<QStringList> list;
    return list;
}

QString& currentName()
{
    static QString name;
    return name;
}

const char* const kProperty = "inputMethodName";

// Desktop frameworks announce themselves through the usual environment variables.
QStringList fromEnvironment()
{
    QStringList out;
    auto add = [&out](QString v) {
        v = v.trimmed();
        if (v.startsWith(QLatin1String("@im=")))
            v = v.mid(4);
        if (!v.isEmpty() && v != QLatin1String("none") && v != QLatin1String("xim") && !out.contains(v))
            out << v;
    };
    add(qEnvironmentVariable("QT_IM_MODULE"));
    add(qEnvironmentVariable("XMODIFIERS"));
    add(qEnvironmentVariable("GTK_IM_MODULE"));
    return out;
}
}  // namespace

QStringList installed()
{
    if (fixed())
        return *fixed();
    return fromEnvironment();
}

void setInstalledForTest(std::optional<QStringList> names)
{
    fixed() = std::move(names);
}

void setCurrent(const QString& name)
{
    currentName() = name;
}

QString current()
{
    return currentName();
}

void apply(QWidget* field, const QString& name)
{
    if (!field)
        return;
    field->setProperty(kProperty, name);
    if (!name.trimmed().isEmpty())
        field->setAttribute(Qt::WA_InputMethodEnabled, true);
}

void applyCurrent(QWidget* field)
{
    apply(field, current());
}

QString fieldMethod(const QWidget* field)
{
    return field ? field->property(kProperty).toString() : QString();
}

}  // namespace InputMethods
