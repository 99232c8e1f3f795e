#pragma once
// The shared data module: the connection and the shared queries every window uses.
#include "data/database.h"
#include "data/recordset.h"

#include <QObject>
#include <QString>

// Settings of the export file dialog; the dialog itself belongs to the user interface.
struct SaveDialogSettings {
    QString fileName = QStringLiteral("file1");
    QString filter = QStringLiteral("Text files (*.txt)|*.TXT|Comma separated values (*.csv)|*.CSV|HTML file (*.htm)|*.HTM|"
                                    "Rich Text Format (*.rtf)|*.RTF|Microsoft Excel Workbook (*.xls)|*.XLS");
    int filterIndex = 5;  // 1-based, Excel preselected; the last choice is kept for the run
};

class TDm1 : public QObject {
    Q_OBJECT
public:
    explicit TDm1(QObject* parent = nullptr);
    ~TDm1() override;

    // Open the database file; false with the engine's text when it is missing or unreadable.
    bool connect(const QString& location, QString* error = nullptr);
    void disconnect();  // closes every shared query, then the connection
    QList<RecordSet*> queries() const;
    RecordSet* query(const QString& name) const;  // by objectName, nullptr when unknown
    DataSource* source(const QString& name) const;

    Database ADO_qczl;

    RecordSet q_qczlb{&ADO_qczl, QStringLiteral("q_qczlb")};
    RecordSet q_gsxx{&ADO_qczl, QStringLiteral("q_gsxx")};
    RecordSet q_zy{&ADO_qczl, QStringLiteral("q_zy")};
    RecordSet q_change{&ADO_qczl, QStringLiteral("q_change")};
    RecordSet q_search{&ADO_qczl, QStringLiteral("q_search")};
    RecordSet q_xjrjz{&ADO_qczl, QStringLiteral("q_xjrjz")};
    RecordSet q_qxb{&ADO_qczl, QStringLiteral("q_qxb")};
    RecordSet q_qcda{&ADO_qczl, QStringLiteral("q_qcda")};
    RecordSet q_hyjlb{&ADO_qczl, QStringLiteral("q_hyjlb")};
    RecordSet q_wxjlb{&ADO_qczl, QStringLiteral("q_wxjlb")};
    RecordSet q_hyzlb{&ADO_qczl, QStringLiteral("q_hyzlb")};
    RecordSet q_tongyong{&ADO_qczl, QStringLiteral("q_tongyong")};
    RecordSet q_gzsj{&ADO_qczl, QStringLiteral("q_gzsj")};
    RecordSet q_jbr{&ADO_qczl, QStringLiteral("q_jbr")};
    RecordSet q_txcsb{&ADO_qczl, QStringLiteral("q_txcsb")};
    RecordSet q_sgjlb{&ADO_qczl, QStringLiteral("q_sgjlb")};
    RecordSet q_khydqc{&ADO_qczl, QStringLiteral("q_khydqc")};
    RecordSet q_wzdj{&ADO_qczl, QStringLiteral("q_wzdj")};          // 违章登记
    RecordSet q_auditlog{&ADO_qczl, QStringLiteral("q_auditlog")};  // 操作日志, read only

    DataSource ds_qczlb{&q_qczlb, QStringLiteral("ds_qczlb")};
    DataSource ds_gsxx{&q_gsxx, QStringLiteral("ds_gsxx")};
    DataSource ds_zy{&q_zy, QStringLiteral("ds_zy")};
    DataSource ds_change{&q_change, QStringLiteral("ds_change")};
    DataSource ds_search{&q_search, QStringLiteral("ds_search")};
    DataSource ds_xjrjz{&q_xjrjz, QStringLiteral("ds_xjrjz")};
    DataSource ds_qxb{&q_qxb, QStringLiteral("ds_qxb")};
    DataSource ds_qcda{&q_qcda, QStringLiteral("ds_qcda")};
    DataSource ds_hyjlb{&q_hyjlb, QStringLiteral("ds_hyjlb")};
    DataSource ds_wxjlb{&q_wxjlb, QStringLiteral("ds_wxjlb")};
    DataSource ds_hyzlb{&q_hyzlb, QStringLiteral("ds_hyzlb")};
    DataSource ds_tongyong{&q_tongyong, QStringLiteral("ds_tongyong")};
    DataSource DS_gzsj{&q_gzsj, QStringLiteral("DS_gzsj")};
    DataSource ds_jbr{&q_jbr, QStringLiteral("ds_jbr")};
    DataSource ds_txcsb{&q_txcsb, QStringLiteral("ds_txcsb")};
    DataSource ds_sgjlb{&q_sgjlb, QStringLiteral("ds_sgjlb")};
    DataSource ds_khydqc{&q_khydqc, QStringLiteral("ds_khydqc")};
    DataSource ds_wzdj{&q_wzdj, QStringLiteral("ds_wzdj")};
    DataSource ds_auditlog{&q_auditlog, QStringLiteral("ds_auditlog")};

    SaveDialogSettings SaveDialog1;
};
