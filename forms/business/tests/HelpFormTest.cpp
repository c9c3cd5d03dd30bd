// The manual: shown read-only from the local copy (or empty without it), and a chapter's
// text changed in the editor and stored through the update server.
#include "BusinessFixture.h"
#include "entity/Guid.h"
#include "forms/business/TFrmHelp.h"
#include "platform/DataGrid.h"
#include "server/tests/WriteClient.h"

#include <QPushButton>
#include <QTextEdit>
#include <filesystem>

namespace corvo::forms::test {
namespace {

class HelpFormTest : public BusinessTest {};

TEST_F(HelpFormTest, ShowsTheFirstChapterReadOnly)
{
    auto form = open<TFrmHelp>("THelp", "操作手册");
    const QString text = form->dreHelp().toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("示范零售业务系统"))) << text.toStdString();
    EXPECT_TRUE(form->dreHelp().isReadOnly());
    form->dreHelp().setFocus();
    QTest::keyClicks(&form->dreHelp(), QStringLiteral("xyz"));
    EXPECT_EQ(form->dreHelp().toPlainText(), text) << "typing changes nothing";
}

TEST_F(HelpFormTest, WithoutTheLocalFileOpensEmptyWithoutError)
{
    const std::string file = shell::dataDir() + "THelp";
    const std::string aside = file + ".aside";
    std::filesystem::rename(file, aside);
    auto form = open<TFrmHelp>("THelp", "操作手册");
    std::filesystem::rename(aside, file);
    EXPECT_TRUE(form->dreHelp().toPlainText().isEmpty());
    EXPECT_EQ(message(), "");
}

TEST_F(HelpFormTest, TheEditedTextIsWhatIsStored)
{
    auto form = open<TFrmUpdateHelp>("THelp", "修改操作手册");
    TCustomEntity& list = entity(*form, "TMasterQuery");
    ASSERT_EQ(list.RecordCount(), 6);
    int row = 0;
    for (list.First(); !list.Eof(); list.Next(), ++row)
        if (GetCode(list) == "02") break;
    clickRow(form->dgeMasterQuery(), row);
    ASSERT_EQ(GetCode(entity(*form, "TMaster")), "02");
    EXPECT_TRUE(form->dreHelp().toPlainText().startsWith(QStringLiteral("登录时输入公司代码")))
        << form->dreHelp().toPlainText().toStdString();
    form->dreHelp().setPlainText(QStringLiteral("新的登录说明：先选公司，再输入密码。"));
    click(form->mbtSubmit());
    EXPECT_EQ(message(), "代码为“02”的数据修改完成。");

    server::test::WriteClient admin(LoginSession::instance().serverUrl());
    auto stored = admin.rows("THelp", "THelp.Code = '02'");
    ASSERT_EQ(stored->RecordCount(), 1);
    EXPECT_EQ(server::test::textOf(*stored, "HelpText"), "新的登录说明：先选公司，再输入密码。");
    auto local = cached("THelp");
    ASSERT_TRUE(local->FindRecord("Code", "02"));
    EXPECT_EQ(utf8(*local, "HelpText"), "新的登录说明：先选公司，再输入密码。");
}

} // namespace
} // namespace corvo::forms::test
