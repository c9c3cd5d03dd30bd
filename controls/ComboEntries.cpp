#include "ComboEntries.h"

#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "platform/QtText.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace corvo::controls {

namespace {

constexpr char16_t fold(char16_t c) noexcept
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

// Orders texts as their a–z upper-cased forms would order, without making those forms.
int compareFolded(QStringView a, QStringView b) noexcept
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = fold(a[i].unicode());
        const char16_t y = fold(b[i].unicode());
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

QString fieldText(const TField* field)
{
    if (!field) return {};
    const std::string bytes = field->AsString();
    // Codes and GUIDs are plain ASCII; only text with double-byte characters needs iconv.
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return platform::fromGbk(bytes);
}

TField* namedField(TClientDataSet& dataSet, std::string_view name)
{
    if (gbk::trim(name).empty()) return nullptr;
    return dataSet.FindField(name);
}

bool emptyOnCurrentRow(const TField* field)
{
    return !field || field->IsNull() || field->AsString().empty();
}

class ControlsDisabled {
public:
    explicit ControlsDisabled(TClientDataSet& dataSet) : m_dataSet(dataSet)
    {
        m_dataSet.DisableControls();
    }
    ~ControlsDisabled() { m_dataSet.EnableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    TClientDataSet& m_dataSet;
};

} // namespace

QStringView trimBlanks(QStringView text) noexcept
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ')
        --end;
    return text.sliced(begin, end - begin);
}

QString upperAscii(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = QChar(fold(text[i].unicode()));
    return out;
}

bool ComboEntries::append(QStringView innerCode, QStringView ime1, QStringView ime2,
                          QStringView display)
{
    const QStringView code = trimBlanks(innerCode);
    const QStringView shown = trimBlanks(display);
    if (code.isEmpty() || shown.isEmpty()) return false;
    m_entries.push_back({trimBlanks(ime1).toString(), trimBlanks(ime2).toString(), shown.toString(),
                         code.toString()});
    m_indexed = false;
    return true;
}

void ComboEntries::clear() noexcept
{
    m_entries.clear();
    for (auto& sorted : m_sorted)
        sorted.clear();
    m_indexed = false;
}

void ComboEntries::buildIndex() const
{
    if (m_indexed) return;
    // Sorting compares the first eight folded characters as two integers and reads the texts
    // only on a tie: codes and names mostly differ within them.
    struct SortKey {
        uint64_t head;
        uint64_t tail;
        uint32_t entry;
    };
    std::vector<SortKey> keys;
    keys.reserve(m_entries.size());
    for (int column = Ime1; column <= Code; ++column) {
        const auto textOf = [&](uint32_t entry) -> const QString& {
            return m_entries[entry][static_cast<std::size_t>(column)];
        };
        keys.clear();
        for (uint32_t i = 0; i < m_entries.size(); ++i) {
            const QString& text = textOf(i);
            // Empty texts can neither begin with nor equal a non-blank key.
            if (text.isEmpty()) continue;
            uint64_t packed[2] = {0, 0};
            for (qsizetype c = 0; c < std::min<qsizetype>(text.size(), 8); ++c)
                packed[c / 4] |= uint64_t{fold(text[c].unicode())} << (48 - 16 * (c % 4));
            keys.push_back({packed[0], packed[1], i});
        }
        // Ties keep loading order, so the first of equal texts is the first loaded.
        std::sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
            if (a.head != b.head) return a.head < b.head;
            if (a.tail != b.tail) return a.tail < b.tail;
            const int c = compareFolded(textOf(a.entry), textOf(b.entry));
            return c != 0 ? c < 0 : a.entry < b.entry;
        });
        std::vector<uint32_t>& sorted = m_sorted[static_cast<std::size_t>(column)];
        sorted.resize(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i)
            sorted[i] = keys[i].entry;
    }
    m_indexed = true;
}

ComboEntries::Range ComboEntries::prefixRange(Column column, QStringView key) const
{
    const std::vector<uint32_t>& sorted = m_sorted[column];
    const auto textOf = [&](uint32_t entry) -> QStringView { return m_entries[entry][column]; };
    const auto first = std::partition_point(sorted.begin(), sorted.end(), [&](uint32_t e) {
        return compareFolded(textOf(e), key) < 0;
    });
    // From there on every text is >= key, so those beginning with key come first.
    const auto last = std::partition_point(first, sorted.end(), [&](uint32_t e) {
        return compareFolded(textOf(e).left(key.size()), key) == 0;
    });
    return {static_cast<std::size_t>(first - sorted.begin()),
            static_cast<std::size_t>(last - sorted.begin())};
}

int ComboEntries::firstEqual(Column column, QStringView key) const
{
    const std::vector<uint32_t>& sorted = m_sorted[column];
    const auto it = std::partition_point(sorted.begin(), sorted.end(), [&](uint32_t e) {
        return compareFolded(m_entries[e][column], key) < 0;
    });
    if (it == sorted.end() || compareFolded(m_entries[*it][column], key) != 0) return -1;
    return static_cast<int>(*it);
}

std::vector<int> ComboEntries::filter(QStringView typed) const
{
    const QString key = upperAscii(trimBlanks(typed));
    const std::size_t n = m_entries.size();
    std::vector<int> shown;
    if (key.isEmpty()) {
        shown.resize(n);
        std::iota(shown.begin(), shown.end(), 0);
        return shown;
    }
    buildIndex();
    const std::array<Column, 3> columns{Ime1, Ime2, Display};
    std::array<Range, 3> ranges;
    std::size_t total = 0;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        ranges[c] = prefixRange(columns[c], key);
        total += ranges[c].second - ranges[c].first;
    }
    if (total == 0) return shown;

    // Few hits: sort them back into loading order. Many: a bitmap over all entries is cheaper.
    if (total < n / 64) {
        shown.reserve(total);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const std::vector<uint32_t>& sorted = m_sorted[columns[c]];
            for (std::size_t i = ranges[c].first; i < ranges[c].second; ++i)
                shown.push_back(static_cast<int>(sorted[i]));
        }
        std::sort(shown.begin(), shown.end());
        shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
        return shown;
    }
    std::vector<uint64_t> bits((n + 63) / 64, 0);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const std::vector<uint32_t>& sorted = m_sorted[columns[c]];
        for (std::size_t i = ranges[c].first; i < ranges[c].second; ++i)
            bits[sorted[i] / 64] |= uint64_t{1} << (sorted[i] % 64);
    }
    shown.reserve(std::min(total, n));
    for (std::size_t w = 0; w < bits.size(); ++w)
        for (uint64_t word = bits[w]; word != 0; word &= word - 1)
            shown.push_back(
                static_cast<int>(w * 64 + static_cast<std::size_t>(std::countr_zero(word))));
    return shown;
}

int ComboEntries::findInnerCode(QStringView code) const
{
    if (code.isEmpty()) return -1;
    buildIndex();
    return firstEqual(Code, code);
}

int ComboEntries::resolve(QStringView text) const
{
    const QStringView key = trimBlanks(text);
    if (key.isEmpty()) return -1;
    buildIndex();
    for (Column column : {Ime1, Ime2, Display})
        if (const int entry = firstEqual(column, key); entry >= 0) return entry;
    return -1;
}

ComboLoadResult loadComboEntries(ComboEntries& entries, TClientDataSet* dataSet,
                                 std::string_view keyField, std::string_view ime1Field,
                                 std::string_view ime2Field, std::string_view displayField)
{
    using Outcome = ComboLoadResult::Outcome;
    ComboLoadResult result;
    entries.clear();
    if (!dataSet || !dataSet->Active()) return result;
    const TField* key = namedField(*dataSet, keyField);
    if (!key) {
        result.outcome = Outcome::BadKeyField;
        return result;
    }
    const TField* display = namedField(*dataSet, displayField);
    if (!display) {
        result.outcome = Outcome::BadDisplayField;
        return result;
    }
    const TField* ime1 = namedField(*dataSet, ime1Field);
    const TField* ime2 = namedField(*dataSet, ime2Field);
    // The columns are judged once, on the row that is current before loading.
    if (emptyOnCurrentRow(ime1)) {
        result.hideIme1 = true;
        ime1 = nullptr;
    } else if (emptyOnCurrentRow(ime2)) {
        result.hideIme2 = true;
        ime2 = nullptr;
    }

    ControlsDisabled quiet(*dataSet);
    for (dataSet->First(); !dataSet->Eof(); dataSet->Next())
        entries.append(fieldText(key), fieldText(ime1), fieldText(ime2), fieldText(display));
    result.outcome = Outcome::Loaded;
    entries.buildIndex();
    return result;
}

} // namespace corvo::controls
