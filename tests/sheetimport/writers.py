# Writes the test workbooks with independent writers: openpyxl (.xlsx) and xlwt (.xls).
# Usage: writers.py <folder>. Each workbook holds the sheets 汽车档案 and 客户登记表, bad and good.
import datetime
import sys
import zipfile

import openpyxl
import xlwt

D = datetime.date
LONG = "很长的车型" * 20  # 100 characters, past the column's length

VEHICLE_HEADER = ["车牌号", " 车型 ", "颜色", "购买时间", "当前公里数", "二保里程", "下次二保", "保险购买时间",
                  "保险截止时间", "停用", "备注", "司机"]
BAD_VEHICLES = [
    ["苏E11111", "santana", "白", D(2024, 3, 1), 12000, 5000, 15000, D(2024, 1, 1), D(2024, 12, 31), 0, "", "甲"],
    [None, "jetta", "", None, None, None, None, None, None, None, None, None],
    ["苏e11111", "jetta", "", None, None, None, None, None, None, None, None, None],
    ["苏A00001", "jetta", "", None, None, None, None, None, None, None, None, None],
    ["苏E22222", "jetta", "", "2024-02-30", None, None, None, None, None, None, None, None],
    ["苏E33333", "jetta", "", None, "一万", None, None, None, None, None, None, None],
    ["苏E44444", LONG, "", None, None, None, None, None, None, None, None, None],
    ["苏E55555", "jetta", "", None, 600000, None, None, None, None, None, None, None],
    ["苏E66666", "jetta", "", None, None, None, None, D(2024, 5, 1), D(2024, 4, 1), None, None, None],
]
GOOD_VEHICLES = [
    ["苏F10001", "santana", "白", D(2024, 3, 1), 12000, 5000, 15000, D(2024, 1, 1), D(2024, 12, 31), 0, "第一辆", ""],
    [None] * 12,
    ["苏F10002", "Jetta 1.6", "黑", "2023/7/15", 800.4, None, None, None, None, 1, None, ""],
]
CUSTOMER_HEADER = ["客户号", "客户姓名", "性别", "联系电话", "应收会费", "起始日期", "终止日期"]
GOOD_CUSTOMERS = [
    ["c101", "王五", "男", 13800138000, 100.5, D(2024, 1, 1), D(2024, 12, 31)],
    ["C102", "赵六", "女", "025-84561234", 0, None, None],
]


def xlsx(path, vehicles):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "汽车档案"
    sheet.append(VEHICLE_HEADER)
    for row in vehicles:
        sheet.append(row)
    for cell in sheet["D"] + sheet["H"] + sheet["I"]:
        if isinstance(cell.value, datetime.date):
            cell.number_format = "yyyy-mm-dd"
    customers = book.create_sheet("客户登记表")
    customers.append(CUSTOMER_HEADER)
    for row in GOOD_CUSTOMERS:
        customers.append(row)
    customers["C3"].value = True  # a yes/no cell in a text column reads 是
    book.save(path)


def xls(path, vehicles):
    book = xlwt.Workbook(encoding="utf-8")
    date = xlwt.easyxf(num_format_str="YYYY-MM-DD")
    for name, header, rows in (("汽车档案", VEHICLE_HEADER, vehicles), ("客户登记表", CUSTOMER_HEADER, GOOD_CUSTOMERS)):
        sheet = book.add_sheet(name)
        for c, v in enumerate(header):
            sheet.write(0, c, v)
        for r, row in enumerate(rows, start=1):
            for c, v in enumerate(row):
                if isinstance(v, datetime.date):
                    sheet.write(r, c, v, date)
                elif v is not None:
                    sheet.write(r, c, v)
    book.save(path)


MAIN = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
RELS = 'xmlns="http://schemas.openxmlformats.org/package/2006/relationships"'
DOC = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"


def handmade(path):
    # What other writers do and openpyxl does not: inline strings in runs, rows and cells without
    # their references, the 1904 calendar, a custom Chinese date format, a part named absolutely.
    parts = {
        "[Content_Types].xml": '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="xml" ContentType="application/xml"/></Types>',
        "_rels/.rels": '<Relationships %s><Relationship Id="rId1" Type="%s/officeDocument" Target="xl/workbook.xml"/>'
        '</Relationships>' % (RELS, DOC),
        "xl/workbook.xml": '<workbook %s xmlns:r="%s"><workbookPr date1904="1"/><sheets>'
        '<sheet name="车辆" sheetId="1" r:id="rId1"/></sheets></workbook>' % (MAIN, DOC),
        "xl/_rels/workbook.xml.rels": '<Relationships %s><Relationship Id="rId1" Type="%s/worksheet" '
        'Target="/xl/worksheets/s1.xml"/><Relationship Id="rId2" Type="%s/styles" Target="styles.xml"/>'
        '</Relationships>' % (RELS, DOC, DOC),
        "xl/styles.xml": '<styleSheet %s><numFmts count="1"><numFmt numFmtId="176" '
        'formatCode="yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;"/></numFmts>'
        '<cellXfs count="2"><xf numFmtId="0"/><xf numFmtId="176"/></cellXfs></styleSheet>' % MAIN,
        "xl/worksheets/s1.xml": '<worksheet %s><sheetData>'
        '<row><c t="inlineStr"><is><t>车牌号</t></is></c><c t="inlineStr"><is><r><t>购买</t></r><r><t>时间</t></r>'
        '</is></c></row><row><c t="inlineStr"><is><t>苏G10001</t></is></c><c s="1"><v>43890</v></c></row>'
        '</sheetData></worksheet>' % MAIN,
    }
    with zipfile.ZipFile(path, "w") as z:
        for name, text in parts.items():
            z.writestr(name, '<?xml version="1.0" encoding="UTF-8"?>' + text)


folder = sys.argv[1]
xlsx(folder + "/bad.xlsx", BAD_VEHICLES)
xlsx(folder + "/good.xlsx", GOOD_VEHICLES)
xls(folder + "/bad.xls", BAD_VEHICLES)
xls(folder + "/good.xls", GOOD_VEHICLES)
handmade(folder + "/handmade.xlsx")
