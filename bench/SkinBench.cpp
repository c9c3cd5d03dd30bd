// Painting a form of 40 skinned controls against the same form of 40 plain Qt controls (the
// floor), and the main window, skinned frame and all, from its creation to its first painted
// picture against a bare window of the same size. A real login to a real corvo-server.
#include "FormBenchMain.h"
#include "app/ModuleFormRegistry.h"
#include "controls/skin/TQVButton.h"
#include "controls/skin/TQVCheckBox.h"
#include "controls/skin/TQVProgressBar.h"
#include "controls/skin/TQVRadioBox.h"
#include "forms/framework/tests/LoginSession.h"
#include "shell/TFrmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QImage>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

using namespace corvo;

enum class Look { Skinned, Plain };

// 20 buttons, 10 check boxes, 5 radio boxes and 5 progress bars on a 640 × 400 form.
std::unique_ptr<QWidget> form(Look look)
{
    auto form = std::make_unique<QWidget>();
    auto* grid = new QGridLayout(form.get());
    const bool skinned = look == Look::Skinned;
    for (int i = 0; i < 40; ++i) {
        QWidget* control = nullptr;
        const QString caption = QStringLiteral("保存%1").arg(i);
        if (i < 20) {
            control = skinned ? new skin::TQVButton(caption) : new QPushButton(caption);
        } else if (i < 30) {
            auto* box = skinned ? new skin::TQVCheckBox(caption) : new QCheckBox(caption);
            box->setChecked(i % 2 == 0);
            control = box;
        } else if (i < 35) {
            control = skinned ? new skin::TQVRadioBox(caption) : new QRadioButton(caption);
        } else {
            auto* bar = skinned ? new skin::TQVProgressBar() : new QProgressBar();
            bar->setRange(0, 100);
            bar->setValue(20 * (i - 35) + 10);
            bar->setTextVisible(false);
            control = bar;
        }
        grid->addWidget(control, i / 4, i % 4);
    }
    form->resize(640, 400);
    form->show();
    QApplication::processEvents();
    return form;
}

void paint(benchmark::State& state, Look look)
{
    const std::unique_ptr<QWidget> shown = form(look);
    QImage image(shown->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        shown->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_PaintForty_Skinned(benchmark::State& state)
{
    paint(state, Look::Skinned);
}
BENCHMARK(BM_PaintForty_Skinned)->Unit(benchmark::kMicrosecond);

void BM_PaintForty_PlainFloor(benchmark::State& state)
{
    paint(state, Look::Plain);
}
BENCHMARK(BM_PaintForty_PlainFloor)->Unit(benchmark::kMicrosecond);

void BM_MainWindow_StartToFirstPaint(benchmark::State& state)
{
    shell::TFrmLogin& login = forms::test::LoginSession::instance().login();
    app::ModuleFormRegistry registry;
    for (auto _ : state) {
        auto window = std::make_unique<shell::TFrmMain>(nullptr, &registry);
        window->InheritFrom(login);
        window->resize(1024, 768);
        window->show();
        QApplication::processEvents();
        const QImage picture = window->grab().toImage();
        benchmark::DoNotOptimize(picture.constBits());
        state.PauseTiming();
        window.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MainWindow_StartToFirstPaint)->Unit(benchmark::kMillisecond);

void BM_MainWindow_BareWindowFloor(benchmark::State& state)
{
    for (auto _ : state) {
        auto window = std::make_unique<QWidget>();
        window->resize(1024, 768);
        window->show();
        QApplication::processEvents();
        const QImage picture = window->grab().toImage();
        benchmark::DoNotOptimize(picture.constBits());
        state.PauseTiming();
        window.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MainWindow_BareWindowFloor)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return corvo::bench::runFormBenchmarks(argc, argv);
}
