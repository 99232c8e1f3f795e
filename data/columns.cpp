#include "data/columns.h"

QStringList Col::all()
{
#define VEL_COLUMN_ITEM(name) Col::name,
    return {VEL_COLUMNS(VEL_COLUMN_ITEM)};
#undef VEL_COLUMN_ITEM
}
