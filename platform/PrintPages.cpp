#include "PrintPages.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace corvo::platform {

std::vector<PageRows> paginateRows(const std::vector<int>& rowHeights, int firstRoom, int room)
{
    std::vector<PageRows> pages;
    const int rows = static_cast<int>(rowHeights.size());
    PageRows page;
    int left = firstRoom;
    bool firstPage = true;
    for (int row = 0; row < rows; ++row) {
        const int height = rowHeights[static_cast<std::size_t>(row)];
        if (height > left) {
            // A row that fits no page still needs one; an empty first page is kept only when
            // a later page has room enough for the row.
            const bool keepEmptyFirst = firstPage && page.count == 0 && height <= room;
            if (page.count > 0 || keepEmptyFirst) {
                pages.push_back(page);
                page = PageRows{row, 0};
                left = room;
                firstPage = false;
            }
        }
        ++page.count;
        left -= height;
    }
    pages.push_back(page);
    return pages;
}

std::vector<int> fitWidths(const std::vector<int>& widths, int total)
{
    const std::size_t n = widths.size();
    if (n == 0) return {};
    std::vector<int64_t> weights(n);
    std::transform(widths.begin(), widths.end(), weights.begin(),
                   [](int w) { return static_cast<int64_t>(std::max(w, 0)); });
    int64_t sum = std::accumulate(weights.begin(), weights.end(), int64_t{0});
    if (sum == 0) {
        std::fill(weights.begin(), weights.end(), 1);
        sum = static_cast<int64_t>(n);
    }
    total = std::max(total, 0);
    std::vector<int> out(n);
    std::vector<std::pair<int64_t, std::size_t>> remainders(n);
    int given = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const int64_t share = weights[i] * total;
        out[i] = static_cast<int>(share / sum);
        remainders[i] = {share % sum, i};
        given += out[i];
    }
    // Largest remainders first; equal remainders go to the leftmost column.
    std::stable_sort(remainders.begin(), remainders.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (int i = 0; given < total; ++i, ++given)
        ++out[remainders[static_cast<std::size_t>(i)].second];
    return out;
}

namespace {

// Widths that together exceed `total`: the narrowest keep theirs while the rest could still
// have as much each; the others share what is left alike.
std::vector<int> shrinkWidest(std::vector<int> widths, int total)
{
    std::vector<int> sorted = widths;
    std::sort(sorted.begin(), sorted.end());
    int64_t left = std::max(total, 0);
    std::size_t capped = sorted.size();
    int cap = 0;
    for (std::size_t i = 0; i < sorted.size(); ++i, --capped) {
        if (static_cast<int64_t>(sorted[i]) * static_cast<int64_t>(capped) > left) {
            cap = static_cast<int>(left / static_cast<int64_t>(capped));
            break;
        }
        left -= sorted[i];
    }
    std::vector<int> wide;
    for (int w : widths)
        if (w > cap) wide.push_back(1);
    const std::vector<int> shares = fitWidths(wide, static_cast<int>(left));
    std::size_t next = 0;
    for (int& w : widths)
        if (w > cap) w = shares[next++];
    return widths;
}

} // namespace

std::vector<int> fitToPage(const std::vector<int>& widths, const std::vector<int>& needed,
                           int total)
{
    const std::size_t n = widths.size();
    std::vector<int> asked(n);
    std::vector<int> least(n);
    for (std::size_t i = 0; i < n; ++i) {
        asked[i] = std::max(widths[i], 0);
        least[i] = std::clamp(i < needed.size() ? needed[i] : 0, 0, asked[i]);
    }
    auto sum = [](const std::vector<int>& v) {
        return std::accumulate(v.begin(), v.end(), int64_t{0});
    };
    if (sum(asked) <= total) return fitWidths(asked, total);
    if (sum(least) > total) return shrinkWidest(std::move(least), total);
    std::vector<int> room(n);
    for (std::size_t i = 0; i < n; ++i)
        room[i] = asked[i] - least[i];
    const std::vector<int> extra = fitWidths(room, static_cast<int>(total - sum(least)));
    for (std::size_t i = 0; i < n; ++i)
        least[i] += extra[i];
    return least;
}

QString longDateText(const QDate& date)
{
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

QString timeText(const QTime& time)
{
    return time.toString(QStringLiteral("H:mm:ss"));
}

QString replacePageMacros(const QString& text, int page, int pages, const QDateTime& printedAt)
{
    if (!text.contains(QLatin1String("&["))) return text;
    QString out = text;
    out.replace(QLatin1String("&[Pages]"), QString::number(pages));
    out.replace(QLatin1String("&[Page]"), QString::number(page));
    out.replace(QLatin1String("&[LongDate]"), longDateText(printedAt.date()));
    out.replace(QLatin1String("&[Time]"), timeText(printedAt.time()));
    return out;
}

} // namespace corvo::platform
