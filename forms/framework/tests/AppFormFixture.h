#pragma once

// Application forms opened on demo tables, as the main window opens a module: TMaster built
// from the table, its columns selected, the form shown off screen.
#include "LoginSession.h"
#include "controls/TInputControlList.h"
#include "controls/TQueryControlList.h"
#include "entity/Gbk.h"
#include "forms/framework/TFrmApp.h"
#include "platform/QtText.h"
#include "shell/LocalFiles.h"

#include <QFrame>
#include <gtest/gtest.h>
#include <memory>

namespace corvo::forms::test {

class AppFormTest : public ::testing::Test {
protected:
    // The local files a test reads are the login's: it comes first even when the test runs
    // alone, as CTest runs every test.
    void SetUp() override { LoginSession::instance(); }
    std::unique_ptr<TFrmApp> open(const char* table, int panelWidth = 980)
    {
        auto form = std::make_unique<TFrmApp>(&LoginSession::instance().login());
        form->registry().BuildEntity(table, "TMaster");
        form->registry().SelectTableFields(table);
        form->resize(panelWidth + 20, 700);
        entryPanel = new QFrame(&form->pnlClient());
        entryPanel->setObjectName(QStringLiteral("pnlInput"));
        entryPanel->setGeometry(0, 0, panelWidth, 120);
        queryPanel = new QFrame(&form->pnlClient());
        queryPanel->setObjectName(QStringLiteral("pnlQuery"));
        queryPanel->setGeometry(0, 300, panelWidth, 60);
        form->show();
        return form;
    }
    void buildPanels(TFrmApp& form)
    {
        TCustomEntity& dict = form.registry().EntityByName("TDictField");
        form.BuildInputControls(dict, *entryPanel);
        form.LayoutInputPanel(*entryPanel, *form.inputControls());
        form.BuildQueryControls(dict, *queryPanel);
        form.LayoutQueryPanel(*queryPanel, *form.queryControls());
    }
    /// A cached table as the login left it.
    static std::unique_ptr<TCustomEntity> cached(const char* name)
    {
        auto rows = std::make_unique<TCustomEntity>();
        EXPECT_TRUE(shell::loadDataSetFile(shell::dataDir() + name, *rows)) << name;
        return rows;
    }
    static std::string utf8(const QString& s) { return s.toStdString(); }

    QFrame* entryPanel = nullptr;
    QFrame* queryPanel = nullptr;
};

} // namespace corvo::forms::test
