#pragma once

#include <string>
#include <vector>

namespace corvo {
class TClientDataSet;
}

namespace corvo::forms {

/// One sheet of an export: a name (UTF-8) and the rows shown in a grid.
struct ExportSheet {
    std::string name;
    TClientDataSet* rows = nullptr;
};

/// Writes the sheets to an .xlsx file: each dataset's visible fields in field order, their
/// captions as the titles (a title split at each "|" over as many header rows), numbers as
/// numbers, dates as dates, texts as texts; the rows shown, read without moving any cursor. Throws
/// corvo::Error "导出Excel文件失败：" + the reason.
void ExportToXlsx(const std::string& path, const std::vector<ExportSheet>& sheets);

} // namespace corvo::forms
