#pragma once
// Earlier names of the configuration types and look-ups, kept until the modules that still use them
// move to the current ones.
struct ListWindowConfig;
struct EditDialogConfig;
struct QueryDialogConfig;
struct FieldDef;
class QString;

using ListWindowSpec = ListWindowConfig;
using EditDialogSpec = EditDialogConfig;
using QueryDialogSpec = QueryDialogConfig;
using FieldSpec = FieldDef;
const ListWindowConfig* listWindowSpec(const QString& className);
const EditDialogConfig* editDialogSpec(const QString& className);
const QueryDialogConfig* queryDialogSpec(const QString& className);
