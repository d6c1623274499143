// bench_grid: how fast the channel window follows the channel table.
//
//   bench_grid [--benchmark_filter=...] [other Google Benchmark options]
//
// The program state is the desktop program's after start-up, on a copy of the
// delivered settings and template (build/bin), with all 99 channels and the
// VFO row filled, on the offscreen platform:
//
//   GridRefill        a new image shown: decode the 100 channels, write the
//                     grid texts (ShowChTblGrid), reset the table model and
//                     lay the QTableView out again (what Open and Read cost)
//   GridRefillPaint   the same plus painting the visible part of the grid
//   CellEdit          one receive-frequency entry through the window (after-
//                     edit rules, undo snapshot, row repaint notice) and the
//                     event loop's repaint of what it invalidated
//
// Goal: a refill well under 50 ms, so opening a file shows no pause.
#include "channels/modChEdit.h"
#include "channels/modChGrid.h"
#include "channels/modChMem.h"
#include "desktop/DesktopContext.h"
#include "desktop/frmChMem.h"
#include "desktop/uiChannelGrid.h"
#include "shell/DocumentViews.h"
#include "shell/modStartup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

class NoDialogs : public qm::UserInteraction {
public:
    qm::MsgAnswer message(const QString&, const QString&, qm::MsgButtons, qm::MsgIcon) override { return qm::MsgAnswer::Ok; }
    QString openFileName(const QString&, const QString&) override { return {}; }
    qm::SaveDialogResult saveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

struct Program {
    QTemporaryDir home;
    std::unique_ptr<qm::AppState> s = std::make_unique<qm::AppState>();
    NoDialogs ui;
    std::unique_ptr<qm::DesktopContext> ctx;
    std::unique_ptr<qm::frmChMem> window;
    bool ok = false;

    Program()
    {
        for (const char* name : {"Uninstall.exe", "Kelvex.exe"}) {
            if (!QFile::copy(QDir(QStringLiteral(QM570_BIN_DIR)).filePath(QLatin1String(name)),
                             home.filePath(QLatin1String(name)))) {
                std::fprintf(stderr, "bench_grid: %s is missing in %s (build qm570-data first)\n", name, QM570_BIN_DIR);
                return;
            }
        }
        qm::StartupEnv env;
        env.home = home.path();
        env.mode = qm::StartupMode::Tool;
        if (qm::RunStartup(*s, env) != qm::StartupOutcome::Running) {
            std::fprintf(stderr, "bench_grid: the start-up failed\n");
            return;
        }
        // Every channel of the grid in use, with a name; encoded into the image.
        for (int n = 1; n <= s->settings.ChNum; ++n) {
            qm::GridAfterEdit(*s, n, 1, QString::number(400 + n * 0.5, 'f', 1));
            qm::GridAfterEdit(*s, n, 2, QString::number(410 + n * 0.5, 'f', 1));
            qm::GridAfterEdit(*s, n, 11, QStringLiteral("CH%1").arg(n));
        }
        qm::SetConvIicDat(*s);
        ctx = std::make_unique<qm::DesktopContext>(*s, ui);
        window = std::make_unique<qm::frmChMem>(*ctx);
        window->resize(1100, 700);
        window->show();
        QApplication::processEvents();
        ok = true;
    }

    // A new image shown, as File > Open and a read do it.
    void refill()
    {
        qm::ChInfoSaveSol(*s, 1);
        qm::ShowChTblGrid(*s);
        s->grid.notify(); // model reset and column layout
        window->grid()->doItemsLayout();
        QApplication::sendPostedEvents(); // the view's deferred geometry updates
    }
};

// Made on first use, destroyed by main() while the application still exists.
std::unique_ptr<Program> g_program;

Program& program()
{
    if (!g_program)
        g_program = std::make_unique<Program>();
    return *g_program;
}

// The program for a benchmark, or null (the benchmark marked skipped) when
// it could not start.
Program* readyProgram(benchmark::State& state)
{
    Program& p = program();
    if (p.ok)
        return &p;
    state.SkipWithError("no program state");
    return nullptr;
}

void GridRefill(benchmark::State& state)
{
    Program* p = readyProgram(state);
    if (!p)
        return;
    for (auto _ : state)
        p->refill();
}
BENCHMARK(GridRefill)->Unit(benchmark::kMillisecond);

void GridRefillPaint(benchmark::State& state)
{
    Program* p = readyProgram(state);
    if (!p)
        return;
    for (auto _ : state) {
        p->refill();
        p->window->grid()->viewport()->repaint();
    }
}
BENCHMARK(GridRefillPaint)->Unit(benchmark::kMillisecond);

void CellEdit(benchmark::State& state)
{
    Program* p = readyProgram(state);
    if (!p)
        return;
    QAbstractItemModel* m = p->window->grid()->model();
    const QModelIndex cell = m->index(4, 0); // channel 5, receive frequency
    int i = 0;
    for (auto _ : state) {
        m->setData(cell, (++i % 2) ? QStringLiteral("462.5625") : QStringLiteral("446.00625"));
        QApplication::processEvents(); // repaints what the edit invalidated
        if (p->ctx->undo.count() > 1000) {
            state.PauseTiming();
            p->ctx->undo.clear();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(CellEdit)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_program.reset();
    return 0;
}
