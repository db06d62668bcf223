#include "domain/document/ReportView.h"

namespace liqiva {

const DetailGrid *ReportView::grid(const QString &name) const
{
    for (const DetailGrid &g : grids)
        if (g.name == name)
            return &g;
    return nullptr;
}

DetailGrid *ReportView::grid(const QString &name)
{
    for (DetailGrid &g : grids)
        if (g.name == name)
            return &g;
    return nullptr;
}

} // namespace liqiva
