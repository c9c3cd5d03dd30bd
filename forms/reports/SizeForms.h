#pragma once

// What the size-matrix document forms share, whichever base form they stand on: the local
// copies they read, the daily-report relabelling, the size columns of the lines' grid, the
// query window and the preset of the sale date.
#include "forms/rules/SizeDocuments.h"
#include "forms/rules/SizeTitles.h"

#include <array>
#include <string>

namespace corvo {
class TClientDataSet;
class TCustomEntityList;
} // namespace corvo

namespace corvo::forms {
class TFrmApp;
class TFrmQuery;
} // namespace corvo::forms

namespace corvo::forms::sizeforms {

/// The local copies "TProduct" and "TProductTypeSize" loaded into the form's entities of the
/// same names (registered when missing); a missing copy leaves its entity empty.
void LoadSizeCopies(TFrmApp& form);

/// The daily-report relabelling of the form's own dictionary when its module caption asks
/// for it; the master's captions follow. The dictionary selection ends on the master table.
void RelabelForCaption(TFrmQuery& form, SizeForm which);

/// The lines' size columns from titles: SizeN shown with its title, or hidden when the title
/// is empty. A lines table without some SizeN is left as it is for that size.
void ApplySizeColumns(TClientDataSet& lines, const std::array<std::string, SizeCount>& titles);

/// The titles of the type of the current line's product (TProduct by ObjID = TProductID,
/// then TProductTypeSize by its TProductTypeID); every title empty when not found.
std::array<std::string, SizeCount> TitlesOfLineProduct(TCustomEntityList& registry,
                                                       TClientDataSet& lines);

/// The size columns of the lines entity `linesName` from the type of its current line's
/// product, when TMaster has rows.
void LabelLinesByProduct(TFrmApp& form, const char* linesName);

/// The query window from "Set.dll" (TQuerySet's IP months before today) as a where clause on
/// the table's HappenDate; empty when the file does not exist.
std::string QueryWindow(TFrmApp& form, const std::string& table);

/// Whether the module (found by the form's caption in TModule) has TypeNo 2.
bool ModuleTypeIs2(TFrmQuery& form);

/// The HappenDate condition ticked with its start at yesterday, where the panel has it.
void PresetSaleDate(TFrmApp& form);

} // namespace corvo::forms::sizeforms
