// Document templates: fields filled and escaped, unknown names kept in sight, the office's file
// used when sound and the built-in template with a reason naming the file otherwise.
#include "ui/records/print/documenttemplate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestDocumentTemplate : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fieldsAreFilledEscapedOrKeptInSight()
    {
        const QHash<QString, QString> fields{{u"客户姓名"_s, u"张三 <&> \"李\""_s},
                                             {u"地址"_s, u"北京市\n海淀区"_s},
                                             {u"空"_s, QString()}};
        const QString out = DocumentTemplate::render(u"<p>{{客户姓名}}|{{  客户姓名 }}|{{地址}}|[{{空}}]|{{未知字段}}|{ {单}}</p>"_s,
                                                     fields);
        QCOMPARE(out.section(u'|', 0, 0), u"<p>张三 &lt;&amp;&gt; &quot;李&quot;"_s);
        QCOMPARE(out.section(u'|', 1, 1), u"张三 &lt;&amp;&gt; &quot;李&quot;"_s);
        QCOMPARE(out.section(u'|', 2, 2), u"北京市<br>海淀区"_s);
        QCOMPARE(out.section(u'|', 3, 3), u"[]"_s);
        const QString unknown = out.section(u'|', 4, 4);
        QVERIFY2(unknown.contains(u"{{未知字段}}"_s) && unknown.startsWith(u"<span style=\"color:"_s), qPrintable(unknown));
        QCOMPARE(out.section(u'|', 5), u"{ {单}}</p>"_s);
    }

    void officeTemplateOrBuiltInWithTheReason()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString builtIn = u"<p>内置 {{车牌号}}</p>"_s;
        const auto write = [&](const QString& name, const QByteArray& bytes) {
            QDir(dir.path()).mkpath(u"templates"_s);
            QFile f(DocumentTemplate::fileOf(dir.path(), name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };

        LoadedTemplate t = DocumentTemplate::load(u"租赁合同"_s, builtIn, dir.path());
        QCOMPARE(t.html, builtIn);
        QVERIFY(t.missing);
        QVERIFY2(t.problem.contains(u"租赁合同.html"_s) && t.problem.contains(u"不存在"_s), qPrintable(t.problem));

        write(u"租赁合同"_s, u"<p>本公司 {{ 车牌号 }}</p>"_s.toUtf8());
        t = DocumentTemplate::load(u"租赁合同"_s, builtIn, dir.path());
        QCOMPARE(t.html, u"<p>本公司 {{ 车牌号 }}</p>"_s);
        QVERIFY(t.problem.isEmpty() && !t.missing);

        write(u"结算单"_s, u"<p>第一行</p>\n<p>{{车牌号}} {{客户姓名</p>"_s.toUtf8());
        t = DocumentTemplate::load(u"结算单"_s, builtIn, dir.path());
        QCOMPARE(t.html, builtIn);
        QVERIFY(!t.missing);
        QVERIFY2(t.problem.contains(QDir::toNativeSeparators(t.file)) && t.problem.contains(u"第 2 行"_s), qPrintable(t.problem));

        write(u"检查单"_s, QByteArray("<p>\xd5\xc5\xc8\xfd {{\xb3\xb5}}</p>"));  // GBK, as an old editor saves
        t = DocumentTemplate::load(u"检查单"_s, builtIn, dir.path());
        QCOMPARE(t.html, builtIn);
        QVERIFY2(t.problem.contains(u"检查单.html"_s) && t.problem.contains(u"UTF-8"_s), qPrintable(t.problem));
    }
};

QTEST_GUILESS_MAIN(TestDocumentTemplate)
#include "test_documenttemplate.moc"
