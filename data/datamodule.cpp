#include "data/datamodule.h"

TDm1::TDm1(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("Dm1"));
    q_wxjlb.setSql({QStringLiteral("select * from 车辆维修记录表")});
}

TDm1::~TDm1()
{
    disconnect();
}

bool TDm1::connect(const QString& location, QString* error)
{
    return ADO_qczl.open(location, error);
}

void TDm1::disconnect()
{
    for (RecordSet* q : queries())
        q->close();
    ADO_qczl.close();
}

QList<RecordSet*> TDm1::queries() const
{
    auto* self = const_cast<TDm1*>(this);
    return {&self->q_qczlb, &self->q_gsxx,  &self->q_zy,     &self->q_change, &self->q_search,   &self->q_xjrjz, &self->q_qxb,
            &self->q_qcda,  &self->q_hyjlb, &self->q_wxjlb,  &self->q_hyzlb,  &self->q_tongyong, &self->q_gzsj,  &self->q_jbr,
            &self->q_txcsb, &self->q_sgjlb, &self->q_khydqc, &self->q_wzdj,   &self->q_auditlog};
}

RecordSet* TDm1::query(const QString& name) const
{
    for (RecordSet* q : queries())
        if (q->objectName() == name)
            return q;
    return nullptr;
}

DataSource* TDm1::source(const QString& name) const
{
    auto* self = const_cast<TDm1*>(this);
    for (DataSource* d :
         {&self->ds_qczlb, &self->ds_gsxx, &self->ds_zy, &self->ds_change, &self->ds_search, &self->ds_xjrjz, &self->ds_qxb,
          &self->ds_qcda, &self->ds_hyjlb, &self->ds_wxjlb, &self->ds_hyzlb, &self->ds_tongyong, &self->DS_gzsj, &self->ds_jbr,
          &self->ds_txcsb, &self->ds_sgjlb, &self->ds_khydqc, &self->ds_wzdj, &self->ds_auditlog})
        if (d->objectName() == name)
            return d;
    return nullptr;
}
