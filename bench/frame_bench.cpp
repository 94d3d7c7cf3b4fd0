// Every user action on 30,000 services as the window runs it: real mouse and key events on an
// offscreen window, the models refreshed and the window painted. Budget: one frame, 16 ms.
#include "app/organize_list/bouquet_panel.h"
#include "app/organize_list/bouquet_views.h"
#include "app/organize_list/service_edit_dialog.h"
#include "app/organize_list/service_model.h"
#include "app/organize_sat/organize_sat_tab.h"
#include "real_input.h"
#include "services/service_form.h"
#include "window_support.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace tavrino::bench {
namespace {

constexpr double frameMs = 16.0;

void reportFrame(benchmark::State& state) {
    state.counters["frame_budget_ms"] = frameMs;
}

// Selects rows first..last as a click and a shift-click do.
void selectRows(QAbstractItemView& view, int first, int last) {
    test::clickRow(view, first);
    test::clickRow(view, last, Qt::ShiftModifier);
}

void BM_FrameFilterChange(benchmark::State& state) {
    OpenWindow open;
    QComboBox* filter = open.tab().satelliteFilter();
    filter->setFocus();
    bool down = true;
    for (auto _ : state) {
        const int before = filter->currentIndex();
        QTest::keyClick(filter, down ? Qt::Key_Down : Qt::Key_Up);
        open.paint();
        if (filter->currentIndex() == before) {
            state.SkipWithError("the filter did not change");
            break;
        }
        down = !down;
    }
    reportFrame(state);
}
BENCHMARK(BM_FrameFilterChange)->Unit(benchmark::kMillisecond);

void BM_FrameSort(benchmark::State& state) {
    OpenWindow open;
    QHeaderView* header = open.view().horizontalHeader();
    const int column = static_cast<int>(state.range(0));
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    for (auto _ : state) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        open.paint();
    }
    state.SetLabel(std::string(serviceColumns()[static_cast<std::size_t>(column)].header));
    reportFrame(state);
}
BENCHMARK(BM_FrameSort)->Arg(colService)->Arg(colFrequency)->Unit(benchmark::kMillisecond);

void BM_FrameSearchKeystroke(benchmark::State& state) {
    OpenWindow open;
    QLineEdit* box = open.tab().searchBox();
    box->setFocus();
    QTest::keyClicks(box, "Zz"); // a prefix no name has: every row is read
    bool type = true;
    for (auto _ : state) {
        QTest::keyClick(box, type ? Qt::Key_Q : Qt::Key_Backspace);
        open.paint();
        type = !type;
    }
    reportFrame(state);
}
BENCHMARK(BM_FrameSearchKeystroke)->Unit(benchmark::kMillisecond);

void BM_FrameBouquetClick(benchmark::State& state) {
    OpenWindow open;
    app::BouquetListView& list = *open.tab().bouquets()->listView();
    int row = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QPoint at = test::rowPoint(list, row);
        state.ResumeTiming();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        open.paint();
        row = row == 0 ? 1 : 0;
    }
    reportFrame(state);
}
BENCHMARK(BM_FrameBouquetClick)->Unit(benchmark::kMillisecond);

// 200 services dragged from the service list into an emptied bouquet.
void BM_FrameDrop200Services(benchmark::State& state) {
    OpenWindow open;
    app::BouquetPanel& bouquets = *open.tab().bouquets();
    test::clickRow(*bouquets.listView(), 0);
    app::BouquetContentsView& contents = *bouquets.contentsView();
    if (contents.model()->rowCount() > 0) {
        selectRows(contents, 0, contents.model()->rowCount() - 1);
        QTest::keyClick(contents.viewport(), Qt::Key_Delete);
    }
    selectRows(open.view(), 0, 199);
    const QPoint below(contents.viewport()->width() / 2, contents.viewport()->height() - 2);
    for (auto _ : state) {
        test::dragRowTo(open.view(), 0, contents, below);
        open.paint();
        state.PauseTiming();
        if (contents.model()->rowCount() != 200) {
            state.SkipWithError("the drop did not land");
            break;
        }
        open.window.undoAction()->trigger();
        open.paint();
        state.ResumeTiming();
    }
    reportFrame(state);
}
BENCHMARK(BM_FrameDrop200Services)->Unit(benchmark::kMillisecond);

// LOCK or UnLOCK chosen in the context menu over 1,000 selected rows.
void BM_FrameFlag1000Rows(benchmark::State& state) {
    OpenWindow open;
    app::ServiceListView& view = open.view();
    selectRows(view, 0, 999);
    bool lock = true;
    for (auto _ : state) {
        state.PauseTiming();
        test::rightClickRow(view, 999);
        QMenu* menu = view.contextMenu();
        const QPoint entry =
            menu->actionGeometry(lock ? view.lockAction() : view.unlockAction()).center();
        state.ResumeTiming();
        QTest::mouseClick(menu, Qt::LeftButton, {}, entry);
        open.paint();
        lock = !lock;
    }
    reportFrame(state);
}
BENCHMARK(BM_FrameFlag1000Rows)->Unit(benchmark::kMillisecond);

// Ctrl+Z after a flag command on 1,000 rows.
void BM_FrameUndo(benchmark::State& state) {
    OpenWindow open;
    app::ServiceListView& view = open.view();
    selectRows(view, 0, 999);
    for (auto _ : state) {
        state.PauseTiming();
        view.lockAction()->trigger();
        open.paint();
        state.ResumeTiming();
        QTest::keyClick(&open.window, Qt::Key_Z, Qt::ControlModifier);
        open.paint();
    }
    reportFrame(state);
}
BENCHMARK(BM_FrameUndo)->Unit(benchmark::kMillisecond);

// OK in the service dialog after the SID was changed.
void BM_FrameServiceEdit(benchmark::State& state) {
    OpenWindow open;
    app::ServiceEditDialog& dialog = *open.tab().editDialog();
    test::clickRow(open.view(), 15000);
    int sid = 1000;
    for (auto _ : state) {
        state.PauseTiming();
        open.view().editAction()->trigger();
        QLineEdit* box = dialog.box(service_captions::sid);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QString::number(++sid));
        QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        state.ResumeTiming();
        QTest::mouseClick(ok, Qt::LeftButton);
        open.paint();
        if (open.tab().serviceModel()->index(15000, colSid).data().toInt() != sid) {
            state.SkipWithError("the edit did not reach the list");
            break;
        }
    }
    reportFrame(state);
}
BENCHMARK(BM_FrameServiceEdit)->Unit(benchmark::kMillisecond);

// A click on a satellite of the second tab: its form and transponder list shown.
void BM_FrameSatelliteSelection(benchmark::State& state) {
    OpenWindow open;
    open.window.tabs()->setCurrentIndex(1);
    QListWidget& satellites = *open.window.organizeSatTab()->satelliteList();
    int row = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QPoint at = test::rowPoint(satellites, row);
        state.ResumeTiming();
        QTest::mouseClick(satellites.viewport(), Qt::LeftButton, {}, at);
        open.paint();
        row = row == 0 ? 1 : 0;
    }
    reportFrame(state);
}
BENCHMARK(BM_FrameSatelliteSelection)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavrino::bench

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
