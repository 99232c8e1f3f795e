#include "ui/common/messages.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace Msg {

namespace {

QMessageBox::StandardButton toStd(Button b)
{
    switch (b) {
    case Button::Ok:
        return QMessageBox::Ok;
    case Button::Yes:
        return QMessageBox::Yes;
    case Button::No:
        return QMessageBox::No;
    case Button::Cancel:
        return QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon toStd(Icon i)
{
    switch (i) {
    case Icon::None:
        return QMessageBox::NoIcon;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}
}  // namespace

QString appTitle()
{
    return QStringLiteral("Velmira软件");
}

QStringList Recorder::texts() const
{
    QStringList out;
    for (const auto& s : m_shown)
        out << s.request.text;
    return out;
}

Button Recorder::answer(const Request& r)
{
    const Button a = m_script.isEmpty() ? r.defaultButton : m_script.takeFirst();
    m_shown.push_back({r, a});
    if (onShow)
        onShow(r);
    return a;
}

Button show(QWidget* parent, const Request& r)
{
    if (Recorder* rec = Recorder::current())
        return rec->answer(r);
    QMessageBox box(toStd(r.icon), r.caption, r.text, QMessageBox::NoButton, parent);
    for (Button b : r.buttons)
        box.addButton(toStd(b));
    box.setDefaultButton(toStd(r.defaultButton));
    const int res = box.exec();
    for (Button b : r.buttons)
        if (res == toStd(b))
            return b;
    return r.buttons.contains(Button::No) ? Button::No : r.defaultButton;
}

void warn(QWidget* parent, const QString& text)
{
    show(parent, {QStringLiteral("提示"), text, Icon::Warning, {Button::Ok}, Button::Ok});
}

void info(QWidget* parent, const QString& text)
{
    show(parent, {QStringLiteral("提示"), text, Icon::Information, {Button::Ok}, Button::Ok});
}

bool confirm(QWidget* parent, const QString& text)
{
    return show(parent, {QStringLiteral("请选择"), text, Icon::Question, {Button::Yes, Button::No}, Button::No}) == Button::Yes;
}

void plain(QWidget* parent, const QString& text)
{
    show(parent, {appTitle(), text, Icon::None, {Button::Ok}, Button::Ok});
}

void error(QWidget* parent, const QString& text)
{
    show(parent, {appTitle(), text, Icon::Critical, {Button::Ok}, Button::Ok});
}

}  // namespace Msg

namespace FileDialogs {

SaveResult getSaveFileName(QWidget* parent, const SaveRequest& r)
{
    if (Recorder* rec = Recorder::current()) {
        rec->m_saveRequests << r;
        if (rec->m_save.isEmpty())
            return {};
        SaveResult res = rec->m_save.takeFirst();
        if (res.filterIndex < 0)
            res.filterIndex = r.filterIndex;
        return res;
    }
    QFileDialog dlg(parent, r.caption, r.directory);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilters(r.filters);
    if (r.filterIndex >= 0 && r.filterIndex < r.filters.size())
        dlg.selectNameFilter(r.filters[r.filterIndex]);
    dlg.selectFile(r.fileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return {true, dlg.selectedFiles().constFirst(), int(r.filters.indexOf(dlg.selectedNameFilter()))};
}

QString getOpenFileName(QWidget* parent, const QString& caption, const QString& directory, const QStringList& filters)
{
    if (Recorder* rec = Recorder::current())
        return rec->m_open.isEmpty() ? QString() : rec->m_open.takeFirst();
    return QFileDialog::getOpenFileName(parent, caption, directory, filters.join(QStringLiteral(";;")));
}

}  // namespace FileDialogs
