#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace corvo {
class TClientDataSet;
}

namespace corvo::controls {

/// Blanks (code units up to and including ' ') removed at both ends.
QStringView trimBlanks(QStringView text) noexcept;
/// Letters a–z turned to A–Z; every other character stays.
QString upperAscii(QStringView text);

/// The entries of a code/name combo box: inner code, column 1 text, column 2 text and display
/// text, in loading order, with the searches the box makes while the user types.
///
/// Searching keeps, per column, the entry numbers sorted by the column's text with a–z
/// upper-cased; a prefix is a range found by binary search, so a keystroke costs about
/// log n + the rows it shows, also with tens of thousands of entries. The sorted arrays are
/// built by the first search after the entries changed.
class ComboEntries {
public:
    enum Column { Ime1 = 0, Ime2 = 1, Display = 2, Code = 3 };

    /// Appends an entry with its texts trimmed; false, and nothing added, when the trimmed
    /// inner code or display text is empty.
    bool append(QStringView innerCode, QStringView ime1, QStringView ime2, QStringView display);
    void clear() noexcept;
    int count() const noexcept { return static_cast<int>(m_entries.size()); }
    /// The text of entry i (0 <= i < count()) in a column.
    const QString& text(int i, Column column) const { return m_entries[toIndex(i)][column]; }

    /// The entries a typed text shows, in loading order: every entry when the text is blank,
    /// else those whose column 1, column 2 or display text begins with the trimmed text
    /// (a–z compared upper-cased).
    std::vector<int> filter(QStringView typed) const;
    /// The first entry whose inner code equals code (a–z compared upper-cased); -1 if none.
    int findInnerCode(QStringView code) const;
    /// The first entry whose column 1 text equals the trimmed text, else the first whose column
    /// 2 text does, else the first whose display text does (a–z compared upper-cased); -1 if
    /// none or the text is blank.
    int resolve(QStringView text) const;
    /// Builds the sorted arrays now (after loading) rather than at the first search.
    void buildIndex() const;

private:
    using Entry = std::array<QString, 4>;
    using Range = std::pair<std::size_t, std::size_t>;

    static std::size_t toIndex(int i) noexcept { return static_cast<std::size_t>(i); }
    Range prefixRange(Column column, QStringView key) const;
    int firstEqual(Column column, QStringView key) const;

    std::vector<Entry> m_entries;
    mutable std::array<std::vector<uint32_t>, 4> m_sorted;
    mutable bool m_indexed = false;
};

/// What LoadFromDataSet found.
struct ComboLoadResult {
    enum class Outcome { NoDataSet, BadKeyField, BadDisplayField, Loaded };
    Outcome outcome = Outcome::NoDataSet;
    bool hideIme1 = false; ///< column 1 is absent or empty on the current row
    bool hideIme2 = false; ///< column 2 is absent or empty on the current row
};

/// Empties the entries and fills them from a dataset, the way TVelComboBox::LoadFromDataSet
/// describes; walks the dataset from its first row to its end. Field names are GBK.
ComboLoadResult loadComboEntries(ComboEntries& entries, TClientDataSet* dataSet,
                                 std::string_view keyField, std::string_view ime1Field,
                                 std::string_view ime2Field, std::string_view displayField);

} // namespace corvo::controls
