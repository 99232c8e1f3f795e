// The import's columns taken from the edit dialogs' own field rows, so a field added to a dialog
// is imported with its limits and capitals without a second list.
#include "data/columns.h"
#include "fleet/qcda.h"
#include "rental/customers.h"
#include "sheetimport/importwindow.h"

namespace SheetImport {

namespace {

QVector<Field> importable(const QVector<FieldDef>& defs)
{
    QVector<Field> fields;
    for (const FieldDef& d : defs) {
        if (d.kind == FieldKind::ReadOnly)  // the photo name: stamped from the key
            continue;
        QString label = d.label.trimmed();
        while (label.endsWith(u'：') || label.endsWith(u':'))
            label.chop(1);
        fields.push_back({d.column, label, d.upper, d.decimals, d.minimum, d.maximum});
    }
    return fields;
}

}  // namespace

Target vehicleTarget()
{
    return {QStringLiteral("汽车档案"), Col::车牌号, importable(TForm_qcda_edit::fields())};
}

Target customerTarget()
{
    return {QStringLiteral("客户登记表"), Col::客户号, importable(TForm_hyzlb_edit::fields())};
}

}  // namespace SheetImport
