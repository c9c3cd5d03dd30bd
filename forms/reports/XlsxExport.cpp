#include "XlsxExport.h"

#include "entity/DateTime.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <xlsxwriter.h>

namespace corvo::forms {
namespace {

[[noreturn]] void fail(const std::string& reason)
{
    throw Error("导出Excel文件失败：" + reason);
}

struct WorkbookCloser {
    void operator()(lxw_workbook* w) const noexcept
    {
        if (w) workbook_close(w);
    }
};

bool isNumber(FieldType t)
{
    return t == FieldType::Smallint || t == FieldType::Integer || t == FieldType::Largeint ||
           t == FieldType::Float || t == FieldType::BCD;
}

void check(lxw_error error)
{
    if (error != LXW_NO_ERROR) fail(lxw_strerror(error));
}

void writeSheet(lxw_workbook* book, const ExportSheet& sheet, lxw_format* date,
                lxw_format* dateTime, lxw_format* title)
{
    // Sheet names are at most 31 characters and unique; the workbook refuses others.
    lxw_worksheet* ws =
        workbook_add_worksheet(book, sheet.name.empty() ? nullptr : sheet.name.c_str());
    if (!ws) fail("工作表[" + sheet.name + "]");
    TClientDataSet& ds = *sheet.rows;
    if (!ds.Active()) return;
    std::vector<int> fields;
    std::vector<std::vector<std::string>> titles;
    std::size_t titleLines = 1;
    for (int i = 0; i < ds.FieldCount(); ++i)
        if (ds.Fields(i).Visible()) {
            fields.push_back(i);
            // A "|" title stacks its parts over as many header rows (the stock's sizes).
            std::vector<std::string> parts;
            const std::string caption = gbk::toUtf8(ds.Fields(i).DisplayLabel());
            std::size_t from = 0;
            for (std::size_t bar; (bar = caption.find('|', from)) != std::string::npos;
                 from = bar + 1)
                parts.push_back(caption.substr(from, bar - from));
            parts.push_back(caption.substr(from));
            titleLines = std::max(titleLines, parts.size());
            titles.push_back(std::move(parts));
        }
    for (std::size_t c = 0; c < fields.size(); ++c)
        for (std::size_t line = 0; line < titleLines; ++line)
            check(worksheet_write_string(
                ws, static_cast<lxw_row_t>(line), static_cast<lxw_col_t>(c),
                line < titles[c].size() ? titles[c][line].c_str() : "", title));
    // Rows are read by position: moving the cursor would make a master's lines follow it.
    const int rows = ds.RecordCount();
    for (int r = 0; r < rows; ++r) {
        const auto line = static_cast<lxw_row_t>(titleLines + r);
        for (std::size_t c = 0; c < fields.size(); ++c) {
            const int f = fields[c];
            if (ds.IsNullAt(r, f)) continue;
            const std::string text = ds.TextAt(r, f);
            const FieldType type = ds.Fields(f).DataType();
            const auto column = static_cast<lxw_col_t>(c);
            if (isNumber(type)) {
                check(worksheet_write_number(ws, line, column, std::strtod(text.c_str(), nullptr),
                                             nullptr));
            } else if (type == FieldType::DateTime) {
                // Stored days since 1899-12-30 are Excel's own serial dates.
                const std::optional<DateTime> when = DateTime::parse(text);
                if (!when) continue;
                check(
                    worksheet_write_number(ws, line, column, when->days,
                                           when->days == std::floor(when->days) ? date : dateTime));
            } else if (type == FieldType::Boolean) {
                check(worksheet_write_boolean(ws, line, column, text == "True", nullptr));
            } else if (type != FieldType::Blob && type != FieldType::Bytes &&
                       type != FieldType::VarBytes) {
                check(worksheet_write_string(ws, line, column, gbk::toUtf8(text).c_str(), nullptr));
            }
        }
    }
}

} // namespace

void ExportToXlsx(const std::string& path, const std::vector<ExportSheet>& sheets)
{
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(workbook_new(path.c_str()));
    if (!book) fail(path);
    lxw_format* date = workbook_add_format(book.get());
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format* dateTime = workbook_add_format(book.get());
    format_set_num_format(dateTime, "yyyy-mm-dd hh:mm:ss");
    lxw_format* title = workbook_add_format(book.get());
    format_set_bold(title);
    for (const ExportSheet& sheet : sheets)
        if (sheet.rows) writeSheet(book.get(), sheet, date, dateTime, title);
    lxw_workbook* raw = book.release();
    check(workbook_close(raw));
}

} // namespace corvo::forms
