#pragma once

#include <string>
#include <vector>

namespace corvo {
class TClientDataSet;
} // namespace corvo

namespace corvo::forms {

/// The most records one batch holds.
inline constexpr int BatchLimit = 100;

/// The columns the dictionary selection (TDictField rows) marks unique (IsUnique 1), in its
/// order. Together they are one composite key.
std::vector<std::string> UniqueColumns(TClientDataSet& dictFields);

enum class BatchCheck {
    Accepted,
    LimitReached, ///< the batch holds BatchLimit records already
    Duplicate,    ///< a batch record equals the record in every unique column
};

/// Whether `record`'s current row may join the batch. Without unique columns every record is
/// accepted.
BatchCheck CheckBatchRecord(TClientDataSet& batch, TClientDataSet& record,
                            const std::vector<std::string>& uniqueColumns);

/// The message of a record held in the batch: without the code when the table is coded by
/// the server.
std::string BatchHeldMessage(bool autoCoding, const std::string& code);

} // namespace corvo::forms
