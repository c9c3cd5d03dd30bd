// Printing a 1,000-row, 12-column result to PDF, beside the floor of painting the same cell
// texts with QPainter on a QPdfWriter.
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "platform/DataGridModel.h"
#include "platform/Desktop.h"
#include "platform/GridPrinter.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <memory>

namespace {

using corvo::TClientDataSet;
using namespace corvo::platform;

constexpr int Rows = 1000;
constexpr int Columns = 12;

struct Result {
    Result()
    {
        const char* names[] = {"男式长袖衬衫", "女式羽绒服", "童装牛仔裤", "休闲运动外套"};
        ds.FieldDefs().Add("Code", corvo::FieldType::String, 10);
        ds.FieldDefs().Add("Name", corvo::FieldType::String, 40);
        for (int c = 2; c < Columns; ++c)
            ds.FieldDefs().Add("N" + std::to_string(c), corvo::FieldType::Integer, 0);
        ds.CreateDataSet();
        ds.FieldByName("Code").SetDisplayLabel(corvo::gbk::fromUtf8("货号"));
        ds.FieldByName("Name").SetDisplayLabel(corvo::gbk::fromUtf8("品名"));
        for (int r = 0; r < Rows; ++r) {
            ds.Append();
            ds.Fields(0).SetAsString("P" + std::to_string(100000 + r));
            ds.Fields(1).SetAsString(corvo::gbk::fromUtf8(names[r % 4]));
            for (int c = 2; c < Columns; ++c)
                ds.Fields(c).SetAsInteger(r * c % 9973);
            ds.Post();
        }
        ds.First();
        model.setDataSet(&ds);
        setup.title = QStringLiteral("销售汇总");
        setup.titleFont = printFont({QStringLiteral("黑体")}, 20, true);
        setup.bodyFont =
            printFont({QStringLiteral("宋体"), QStringLiteral("WenQuanYi Zen Hei Mono")}, 11);
        setup.footerLeft = QStringLiteral("制表人：张三");
        setup.footerCentre = QStringLiteral("第&[Page]页 共&[Pages]页");
        setup.footerRight = QStringLiteral("打印日期：&[LongDate] &[Time]");
        setup.doubleLines = true;
        path = QDir::temp().filePath(QStringLiteral("corvo-print-bench.pdf"));
    }
    TClientDataSet ds;
    DataGridModel model;
    PrintSetup setup;
    QString path;
};

// Made in main, so that it ends before the application object.
Result* current = nullptr;

Result& result()
{
    return *current;
}

int printResult(PrintFit fit)
{
    Result& r = result();
    PrintSetup setup = r.setup;
    setup.fit = fit;
    const GridPrinter printer(PrintTable::fromModel(r.model, std::vector<int>(Columns, 60)),
                              std::move(setup));
    return printer.printToPdf(r.path, QDateTime::currentDateTime());
}

/// The cell texts drawn one line each in fixed cells, a page every `perPage` rows: no titles,
/// no measuring, no lines.
void paintFloor(const std::vector<QString>& cells, int perPage)
{
    Result& r = result();
    QPdfWriter writer(r.path);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
    QPainter painter(&writer);
    painter.setFont(r.setup.bodyFont);
    const int w = writer.width() / Columns;
    const int h = writer.height() / (perPage + 4);
    for (int row = 0; row < Rows; ++row) {
        if (row > 0 && row % perPage == 0) writer.newPage();
        const int y = (row % perPage + 2) * h;
        for (int c = 0; c < Columns; ++c)
            painter.drawText(QRect(c * w, y, w, h), Qt::AlignLeft | Qt::AlignVCenter,
                             cells[static_cast<std::size_t>(row * Columns + c)]);
    }
}

std::vector<QString> floorCells()
{
    return PrintTable::fromModel(result().model, {}).cells;
}

void BM_PrintToPdf(benchmark::State& state)
{
    const auto fit = state.range(0) ? PrintFit::ContentWidths : PrintFit::ColumnWidths;
    int pages = 0;
    for (auto _ : state)
        pages = printResult(fit);
    state.counters["pages"] = pages;
}
BENCHMARK(BM_PrintToPdf)->ArgName("contentWidths")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PrintFloor(benchmark::State& state)
{
    const std::vector<QString> cells = floorCells();
    const int perPage = Rows / printResult(PrintFit::ColumnWidths) + 1;
    for (auto _ : state)
        paintFloor(cells, perPage);
}
BENCHMARK(BM_PrintFloor)->Unit(benchmark::kMillisecond);

double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

/// Both in every iteration; `ratio` is the print's CPU time over the floor's, `ratio_wall`
/// the same in wall time.
void BM_PrintRatioToFloor(benchmark::State& state)
{
    const auto fit = state.range(0) ? PrintFit::ContentWidths : PrintFit::ColumnWidths;
    const std::vector<QString> cells = floorCells();
    const int pages = printResult(fit);
    const int perPage = Rows / pages + 1;
    using Clock = std::chrono::steady_clock;
    Clock::duration printingWall{};
    Clock::duration floorWall{};
    double printing = 0;
    double floor = 0;
    for (auto _ : state) {
        const auto w0 = Clock::now();
        const double c0 = threadSeconds();
        printResult(fit);
        const auto w1 = Clock::now();
        const double c1 = threadSeconds();
        paintFloor(cells, perPage);
        floor += threadSeconds() - c1;
        floorWall += Clock::now() - w1;
        printing += c1 - c0;
        printingWall += w1 - w0;
    }
    state.counters["ratio"] = printing / floor;
    state.counters["ratio_wall"] = std::chrono::duration<double>(printingWall).count() /
                                   std::chrono::duration<double>(floorWall).count();
}
BENCHMARK(BM_PrintRatioToFloor)
    ->ArgName("contentWidths")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    corvo::platform::applyChineseFonts(app);
    Result shared;
    current = &shared;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    QFile::remove(shared.path);
    current = nullptr;
    return 0;
}
