// The program on a 1024 × 768 screen without a window manager: the main window fills the
// screen, every module form of the demo opens with every button of its bottom band in view,
// and the dialog that asks which pages to close can be answered by mouse and by keys.
#include "LoginSession.h"
#include "app/ModuleFormRegistry.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"
#include "forms/framework/TFrmApp.h"
#include "forms/framework/TFrmList.h"
#include "platform/DataGrid.h"
#include "platform/Modal.h"
#include "shell/LocalFiles.h"
#include "shell/TFrmLogin.h"
#include "shell/TFrmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace corvo::app {
namespace {

using forms::test::LoginSession;

std::vector<std::string> registeredClasses()
{
    const ModuleFormRegistry registry;
    std::vector<std::string> names;
    for (const auto& entry : registry.classes())
        names.push_back(entry.first);
    return names;
}

/// The whole widget lies inside every widget that holds it, up to its window.
bool wholeInView(const QWidget& widget)
{
    QRect area = widget.rect();
    for (const QWidget* w = &widget; !w->isWindow(); w = w->parentWidget()) {
        area.translate(w->pos());
        if (!w->parentWidget()->rect().contains(area)) return false;
    }
    return true;
}

std::string describe(const QWidget& widget)
{
    const QWidget* window = widget.window();
    const QRect at(widget.mapTo(window, QPoint(0, 0)), widget.size());
    return widget.objectName().toStdString() + " at " + std::to_string(at.x()) + "," +
           std::to_string(at.y()) + " " + std::to_string(at.width()) + "×" +
           std::to_string(at.height()) + " in a window " + std::to_string(window->width()) +
           " wide";
}

class SmallScreen : public ::testing::Test {
protected:
    SmallScreen()
    {
        shell::TFrmLogin& login = LoginSession::instance().login();
        window = std::make_unique<shell::TFrmMain>(nullptr, &registry);
        window->InheritFrom(login);
        window->show();
        QApplication::processEvents();
    }
    ~SmallScreen() override { platform::setModalInterceptor({}); }

    /// The caption (GBK) of the first module of the demo's table that opens the class.
    std::string moduleOf(const std::string& className)
    {
        TCustomEntity modules;
        if (!shell::loadDataSetFile(shell::dataDir() + "TModule", modules)) return {};
        for (modules.First(); !modules.Eof(); modules.Next())
            if (modules.FieldByName("Code").AsString() == className &&
                modules.FieldByName("IsGroup").AsInteger() == 0)
                return modules.FieldByName(window->registry().LanguageColumn).AsString();
        return {};
    }
    QRect screenArea() const { return window->screen()->availableGeometry(); }

    ModuleFormRegistry registry;
    std::unique_ptr<shell::TFrmMain> window;
};

TEST_F(SmallScreen, TheMainWindowFillsTheScreen)
{
    ASSERT_EQ(window->screen()->geometry().size(), QSize(1024, 768));
    EXPECT_EQ(window->geometry(), screenArea());
    EXPECT_EQ(window->frameGeometry(), screenArea());
}

class EveryModuleForm : public SmallScreen, public ::testing::WithParamInterface<std::string> {};

TEST_P(EveryModuleForm, ShowsEveryButtonOfItsBottomBand)
{
    const std::string& className = GetParam();
    const std::string caption = moduleOf(className);
    ASSERT_FALSE(caption.empty()) << "no module of the demo opens " << className;
    std::vector<std::string> dialogs;
    platform::setModalInterceptor([&](QDialog& d) {
        dialogs.push_back(d.windowTitle().toStdString());
        return 0;
    });
    window->OpenModule(caption);
    QApplication::processEvents();
    EXPECT_EQ(dialogs, std::vector<std::string>{}) << className;
    auto* form = qobject_cast<forms::TFrmApp*>(window->moduleForm(caption));
    ASSERT_NE(form, nullptr) << className;

    EXPECT_EQ(window->geometry(), screenArea()) << className;
    const QList<QAbstractButton*> all = form->pnlBottom().findChildren<QAbstractButton*>();
    std::vector<QAbstractButton*> shown;
    for (QAbstractButton* b : all)
        if (b->isVisible()) shown.push_back(b);
    EXPECT_TRUE(form->mbtClose().isVisible()) << className;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_TRUE(wholeInView(*shown[i])) << className << ": " << describe(*shown[i]);
        const QRect a(shown[i]->mapTo(form, QPoint(0, 0)), shown[i]->size());
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            const QRect b(shown[j]->mapTo(form, QPoint(0, 0)), shown[j]->size());
            EXPECT_FALSE(a.intersects(b))
                << className << ": " << describe(*shown[i]) << " covers " << describe(*shown[j]);
        }
    }
    const QRect right = form->pnlBottomRight().geometry();
    EXPECT_EQ(right.left() + right.width(), form->pnlBottom().width()) << className;

    QDir().mkpath(QStringLiteral(CORVO_SCREENSHOT_DIR));
    window->grab().save(QStringLiteral(CORVO_SCREENSHOT_DIR "/1024x768-%1.png")
                            .arg(QString::fromStdString(className)));
}

INSTANTIATE_TEST_SUITE_P(Registered, EveryModuleForm, ::testing::ValuesIn(registeredClasses()),
                         [](const auto& info) { return info.param; });

// Nine pages are open; a tenth module asks which to close.
class CloseDialog : public SmallScreen {
protected:
    CloseDialog()
    {
        for (const char* m : {"查询商品", "修改商品", "新增商品", "查询机构", "修改机构",
                              "新增机构", "查询仓库", "修改仓库", "新增仓库"})
            window->OpenModule(gbk::fromUtf8(m));
    }

    /// Opens the tenth module; `answer` gets the dialog as the user sees it. Returns the
    /// captions of the list's rows, in order.
    std::vector<QString> openTenth(const std::function<void(forms::TFrmFormList&)>& answer)
    {
        std::vector<QString> rows;
        platform::setModalInterceptor([&](QDialog& d) {
            auto* list = qobject_cast<forms::TFrmFormList*>(&d);
            if (!list) return 0;
            list->show();
            QApplication::processEvents();
            EXPECT_EQ(list->windowTitle(), QStringLiteral("请关闭部分窗口"));
            EXPECT_TRUE(list->mbtConfirm().isVisible());
            EXPECT_TRUE(wholeInView(list->mbtConfirm())) << describe(list->mbtConfirm());
            EXPECT_TRUE(wholeInView(list->mbtClose())) << describe(list->mbtClose());
            const QAbstractItemModel& model = *list->dgeMaster().model();
            for (int row = 0; row < model.rowCount(); ++row)
                rows.push_back(model.index(row, visibleColumn(*list)).data().toString());
            answer(*list);
            return list->result();
        });
        window->OpenModule(gbk::fromUtf8("查询员工"));
        return rows;
    }
    static int visibleColumn(forms::TFrmFormList& list)
    {
        for (int c = 0; c < list.dgeMaster().model()->columnCount(); ++c)
            if (!list.dgeMaster().isColumnHidden(c)) return c;
        return -1;
    }
    static QPoint rowCentre(forms::TFrmFormList& list, int row)
    {
        platform::DataGrid& grid = list.dgeMaster();
        return grid.visualRect(grid.model()->index(row, visibleColumn(list))).center();
    }
    /// The captions of the module pages.
    std::set<std::string> pages() const
    {
        std::set<std::string> out;
        for (int i = 1; i < window->pgcMain().count(); ++i)
            out.insert(window->pgcMain().tabText(i).toStdString());
        return out;
    }
    /// The list's rows but those gone, and the tenth module.
    static std::set<std::string> without(const std::vector<QString>& rows,
                                         std::initializer_list<int> gone)
    {
        std::set<std::string> kept;
        for (const QString& row : rows)
            kept.insert(row.toStdString());
        for (int i : gone)
            kept.erase(rows[static_cast<std::size_t>(i)].toStdString());
        kept.insert("查询员工");
        return kept;
    }
};

TEST_F(CloseDialog, TheMouseClosesTheMarkedPages)
{
    const std::vector<QString> rows = openTenth([](forms::TFrmFormList& list) {
        QWidget* cells = list.dgeMaster().viewport();
        QTest::mouseClick(cells, Qt::LeftButton, Qt::NoModifier, rowCentre(list, 1));
        QTest::mouseClick(cells, Qt::LeftButton, Qt::ControlModifier, rowCentre(list, 4));
        QTest::mouseClick(&list.mbtConfirm(), Qt::LeftButton);
    });
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(pages(), without(rows, {1, 4}));
}

TEST_F(CloseDialog, TheKeysCloseTheMarkedPages)
{
    const std::vector<QString> rows = openTenth([](forms::TFrmFormList& list) {
        platform::DataGrid& grid = list.dgeMaster();
        grid.setFocus();
        grid.setCurrentIndex(grid.model()->index(0, visibleColumn(list)));
        QTest::keyClick(&grid, Qt::Key_Down);
        QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(&grid, Qt::Key_Return);
    });
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(pages(), without(rows, {1, 2, 3}));
}

TEST_F(CloseDialog, ClosingTheDialogOpensNothing)
{
    openTenth(
        [](forms::TFrmFormList& list) { QTest::mouseClick(&list.mbtClose(), Qt::LeftButton); });
    EXPECT_EQ(pages().size(), 9u);
    EXPECT_FALSE(window->IsModuleOpen(gbk::fromUtf8("查询员工")));
}

} // namespace
} // namespace corvo::app
