// Cost of one keystroke in a code/name combo box holding many products: from the key reaching
// the box to the filtered list model being ready (the view paints only the rows it shows).
#include "controls/TVelComboBox.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "platform/Desktop.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <numeric>
#include <random>

namespace {

using corvo::TClientDataSet;
using corvo::controls::ComboEntries;
using corvo::controls::TVelComboBox;

// Characters of product names with the initial of their reading, for the mnemonic column.
struct NameChar {
    const char* utf8;
    char initial;
};
constexpr NameChar NameChars[] = {
    {"男", 'N'}, {"女", 'N'}, {"童", 'T'}, {"长", 'C'}, {"短", 'D'}, {"袖", 'X'}, {"衬", 'C'},
    {"衫", 'S'}, {"裤", 'K'}, {"裙", 'Q'}, {"外", 'W'}, {"套", 'T'}, {"毛", 'M'}, {"衣", 'Y'},
    {"夹", 'J'}, {"克", 'K'}, {"风", 'F'}, {"牛", 'N'}, {"仔", 'Z'}, {"休", 'X'}, {"闲", 'X'},
    {"运", 'Y'}, {"动", 'D'}, {"羽", 'Y'}, {"绒", 'R'}, {"棉", 'M'}, {"麻", 'M'}, {"丝", 'S'},
    {"针", 'Z'}, {"织", 'Z'}, {"春", 'C'}, {"夏", 'X'}, {"秋", 'Q'}, {"冬", 'D'}, {"新", 'X'},
    {"款", 'K'}, {"经", 'J'}, {"典", 'D'}, {"时", 'S'}, {"尚", 'S'},
};
constexpr int NameCharCount = static_cast<int>(std::size(NameChars));

/// n products: codes P000000.., a mnemonic, a Chinese name of 4 to 6 characters; loaded in a
/// shuffled order so that no column is already sorted.
void fillProducts(TClientDataSet& ds, int n)
{
    ds.FieldDefs().Add("ObjID", corvo::FieldType::String, 38);
    ds.FieldDefs().Add("HelpIndex", corvo::FieldType::String, 10);
    ds.FieldDefs().Add("Code", corvo::FieldType::String, 10);
    ds.FieldDefs().Add("Name", corvo::FieldType::String, 20);
    ds.CreateDataSet();
    std::mt19937 random(42);
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), random);
    char text[64];
    for (int i : order) {
        std::string name;
        std::string mnemonic;
        const int length = 4 + static_cast<int>(random() % 3);
        for (int c = 0; c < length; ++c) {
            const NameChar& ch = NameChars[random() % NameCharCount];
            name += ch.utf8;
            mnemonic += ch.initial;
        }
        ds.Append();
        std::snprintf(text, sizeof text, "{%08X-0000-4000-8000-%012X}", i, i * 7);
        ds.FieldByName("ObjID").SetAsString(text);
        ds.FieldByName("HelpIndex").SetAsString(mnemonic);
        std::snprintf(text, sizeof text, "P%06d", i);
        ds.FieldByName("Code").SetAsString(text);
        ds.FieldByName("Name").SetAsString(corvo::gbk::fromUtf8(name));
        ds.Post();
    }
    ds.First();
}

struct Form {
    explicit Form(int n)
    {
        fillProducts(products, n);
        window.resize(800, 600);
        box = new TVelComboBox(&window);
        box->setGeometry(20, 20, 160, 21);
        box->LoadFromDataSet(&products, "ObjID", "HelpIndex", "Code", "Name");
        window.show();
        QApplication::setActiveWindow(&window);
        box->setFocus(); // makes the list
    }
    TClientDataSet products;
    QWidget window;
    TVelComboBox* box = nullptr;
};

std::map<int, std::unique_ptr<Form>>& forms()
{
    static std::map<int, std::unique_ptr<Form>> made;
    return made;
}

Form& formOf(int n)
{
    auto& slot = forms()[n];
    if (!slot) slot = std::make_unique<Form>(n);
    return *slot;
}

void sendKey(QWidget* widget, QChar ch)
{
    const int key = ch.isLetter() ? Qt::Key_A + (ch.toUpper().unicode() - u'A')
                                  : Qt::Key_0 + (ch.unicode() - u'0');
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(widget, &release);
}

void commitText(QWidget* widget, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

const QString CodePrefix = QStringLiteral("P00123");
const QString NamePrefix = QStringLiteral(u"羽绒");

/// Typing the k-th character of a prefix into a box that already shows the first k - 1.
template <bool Chinese> void keystroke(benchmark::State& state)
{
    Form& form = formOf(static_cast<int>(state.range(0)));
    const int k = static_cast<int>(state.range(1));
    const QString& prefix = Chinese ? NamePrefix : CodePrefix;
    const QString before = prefix.left(k - 1);
    const QChar typed = prefix[k - 1];
    for (auto _ : state) {
        state.PauseTiming();
        form.box->setText(before);
        form.box->FilterList();
        state.ResumeTiming();
        if constexpr (Chinese)
            commitText(form.box, QString(typed));
        else
            sendKey(form.box, typed);
    }
    state.counters["rows"] = static_cast<double>(form.box->shownCodes().size());
}

void BM_CodeKeystroke(benchmark::State& state)
{
    keystroke<false>(state);
}
void BM_NameKeystroke(benchmark::State& state)
{
    keystroke<true>(state);
}

/// The search alone, without the model and the view.
void BM_FilterOnly(benchmark::State& state)
{
    Form& form = formOf(static_cast<int>(state.range(0)));
    ComboEntries entries;
    for (int i = 0; i < form.box->ItemCount(); ++i) {
        corvo::controls::TItemField item;
        form.box->GetItem(i, item);
        entries.append(item.InnerCode, item.Ime1Text, item.Ime2Text, item.DisplayText);
    }
    entries.buildIndex();
    const QString key = CodePrefix.left(state.range(1));
    std::size_t rows = 0;
    for (auto _ : state) {
        const std::vector<int> shown = entries.filter(key);
        rows = shown.size();
        benchmark::DoNotOptimize(shown.data());
    }
    state.counters["rows"] = static_cast<double>(rows);
}

/// Loading the products: entries, column widths and the search arrays.
void BM_Load(benchmark::State& state)
{
    Form& form = formOf(static_cast<int>(state.range(0)));
    TVelComboBox box;
    for (auto _ : state)
        box.LoadFromDataSet(&form.products, "ObjID", "HelpIndex", "Code", "Name");
}

/// Loading the entries alone: the dataset walk and the search arrays, no text measuring.
void BM_LoadEntries(benchmark::State& state)
{
    Form& form = formOf(static_cast<int>(state.range(0)));
    ComboEntries entries;
    for (auto _ : state)
        corvo::controls::loadComboEntries(entries, &form.products, "ObjID", "HelpIndex", "Code",
                                          "Name");
}

void sizesAndKeys(benchmark::internal::Benchmark* b, int keys)
{
    for (int n : {5000, 50000})
        for (int k = 1; k <= keys; ++k)
            b->Args({n, k});
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_CodeKeystroke)->Apply([](auto* b) { sizesAndKeys(b, 6); });
BENCHMARK(BM_NameKeystroke)->Apply([](auto* b) { sizesAndKeys(b, 2); });
BENCHMARK(BM_FilterOnly)->Apply([](auto* b) { sizesAndKeys(b, 6); });
BENCHMARK(BM_Load)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadEntries)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    corvo::platform::applyChineseFonts(app);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    forms().clear();
    return 0;
}
