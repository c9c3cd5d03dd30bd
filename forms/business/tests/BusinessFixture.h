#pragma once

// The business forms opened as the main window opens them, over the one admin login, with a
// message line of their own.
#include "LoginSession.h"
#include "ModuleForm.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntityList.h"
#include "platform/Modal.h"
#include "shell/LocalFiles.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace corvo::forms::test {

class BusinessTest : public ::testing::Test {
protected:
    // The local files a test reads are the login's: it comes first even when the test runs
    // alone, as CTest runs every test.
    void SetUp() override { LoginSession::instance(); }
    void TearDown() override { platform::setModalInterceptor({}); }

    template <typename Form> std::unique_ptr<Form> open(const char* table, const char* module)
    {
        return openModuleForm<Form>(table, module, &line);
    }
    std::string message() const { return line.text().toStdString(); }
    static void click(QAbstractButton& button) { QTest::mouseClick(&button, Qt::LeftButton); }
    static TCustomEntity& entity(shell::TFrmBase& form, std::string_view name)
    {
        return form.registry().EntityByName(name);
    }
    /// A local copy as the login (or a save) left it.
    static std::unique_ptr<TCustomEntity> cached(const char* table)
    {
        auto rows = std::make_unique<TCustomEntity>();
        EXPECT_TRUE(shell::loadDataSetFile(shell::dataDir() + table, *rows)) << table;
        return rows;
    }
    /// A left click on a row of a grid (its first visible column).
    static void clickRow(QAbstractItemView& grid, int row)
    {
        const QModelIndex at = grid.model()->index(row, 0);
        grid.scrollTo(at);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(at).center());
    }
    static std::string utf8(TClientDataSet& rows, const char* field)
    {
        return gbk::toUtf8(rows.FieldByName(field).AsString());
    }

    QLabel line;
};

} // namespace corvo::forms::test
