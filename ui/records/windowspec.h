#pragma once
// One place per window: a window class carries its description as a static spec() defined in the
// class's own .cpp (its ListWindowConfig or EditDialogConfig row, with the class's meta-object name
// as className), and registerWindow<W>() adds that description and the factory together under the
// meta-object name. A window configured without a class of its own (a query dialog) is one row in
// its module's configuration file, found by the class name its list window names; the start-up
// check (app/windowcheck.h) proves every such name is there.
#include "ui/common/windowregistry.h"
#include "ui/records/editdialog.h"
#include "ui/records/querydialog.h"
#include "ui/records/windowtable.h"

#include <QMetaObject>
#include <type_traits>

// Descriptions by kind; a module adds an overload for a description of its own (the fleet's
// registers, the statistics windows), found by argument-dependent lookup.
inline void describeWindow(const ListWindowConfig& row)
{
    addListWindowConfigs({row});
}
inline void describeWindow(const EditDialogConfig& row)
{
    addEditDialogConfigs({row});
}

// Adds the class's description (when it has a spec()) and its factory (when it is made from an owner
// and the data module) under the class's meta-object name.
template <typename W>
void registerWindow()
{
    static_assert(QtPrivate::HasQ_OBJECT_Macro<W>::Value, "a window class is registered under its meta-object name");
    // A spec() names its class by staticMetaObject.className(); windowProblems() finds a row
    // registered under another name missing.
    if constexpr (requires { W::spec(); })
        describeWindow(W::spec());
    if constexpr (std::is_constructible_v<W, QWidget*, TDm1*>)
        WindowRegistry::add(W::staticMetaObject, [](QWidget* owner, TDm1* dm) -> QDialog* { return new W(owner, dm); });
}
