#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "shell/LocalFiles.h"
#include "shell/TFrmBase.h"
#include "shell/TFrmQVDialog.h"

#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTranslator>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace corvo::shell {
namespace {

// A form that records what its creation handler could see.
class ChildForm : public TFrmBase {
public:
    explicit ChildForm(QWidget* owner) : TFrmBase(owner)
    {
        dictionaryRowsAtCreation = registry().EntityByName("TDictField").RecordCount();
        sawOwnersOther = registry().HasEntity("TOther");
    }
    int dictionaryRowsAtCreation = -1;
    bool sawOwnersOther = true;
};

TEST(FormBaseTest, ChildFormsSeeTheCreatorsDictionaryInTheirCreationHandler)
{
    TFrmBase owner;
    EXPECT_EQ(owner.basePacket().GetParamValue("AppDir").toText(), appDir());
    TCustomEntity& fields = owner.registry().EntityByName("TDictField");
    fields.FieldDefs().Add("Code", FieldType::String, 30);
    fields.CreateDataSet();
    fields.Append();
    fields.FieldByName("Code").SetAsString("ObjID");
    fields.Post();
    owner.registry().AddEntity("TOther");

    ChildForm child(&owner);
    EXPECT_EQ(child.dictionaryRowsAtCreation, 1);
    EXPECT_FALSE(child.sawOwnersOther);
    EXPECT_EQ(child.connection(), owner.connection());
}

TEST(FormBaseTest, BitmapsComeFromCompressedFilesUnderBmp)
{
    char dir[] = "/tmp/corvo-bmp-XXXXXX";
    const std::string home = mkdtemp(dir);
    setenv("CORVO_HOME", home.c_str(), 1);
    QImage image(8, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    writeLocalFile(bmpDir() + "Red.bmp",
                   std::span(reinterpret_cast<const uint8_t*>(bmp.data()), bmp.size()));

    TFrmBase form;
    QPixmap picture;
    EXPECT_FALSE(form.LoadBitmap("Missing.bmp", picture));
    ASSERT_TRUE(form.LoadBitmap("Red.bmp", picture));
    EXPECT_EQ(picture.size(), QSize(8, 4));
    EXPECT_EQ(picture.toImage().pixelColor(0, 0), QColor(Qt::red));
    unsetenv("CORVO_HOME");
    std::filesystem::remove_all(home);
}

TEST(FormBaseTest, DialogsShowTheArrowAndTheWaitCursorComesBackAfter)
{
    TFrmBase form;
    std::vector<const QCursor*> duringDialog;
    std::vector<Qt::CursorShape> dialogShapes;
    platform::setModalInterceptor([&](QDialog& d) {
        duringDialog.push_back(QApplication::overrideCursor());
        dialogShapes.push_back(d.cursor().shape());
        if (auto* message = qobject_cast<TFrmQVDialog*>(&d))
            dialogShapes.push_back(message->memo().viewport()->cursor().shape());
        return 0;
    });
    form.ShowWaitCursor();
    form.ShowError("出错了");
    ShowInformation(&form, "请注意");
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    form.ShowDefaultCursor();
    platform::setModalInterceptor({});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(duringDialog, (std::vector<const QCursor*>{nullptr, nullptr}));
    EXPECT_EQ(dialogShapes, std::vector<Qt::CursorShape>(4, Qt::ArrowCursor)); // dialog, memo
}

TEST(QtChineseTest, QtsOwnTextsComeInChineseWhenTheTranslationsAreThere)
{
    char dir[] = "/tmp/corvo-qm-XXXXXX";
    const QString empty = QString::fromLocal8Bit(mkdtemp(dir));
    char dir2[] = "/tmp/corvo-qm-XXXXXX";
    const QString damaged = QString::fromLocal8Bit(mkdtemp(dir2));
    {
        QFile qm(damaged + QStringLiteral("/qtbase_zh_CN.qm"));
        ASSERT_TRUE(qm.open(QIODevice::WriteOnly));
        qm.write("this is no translation file");
    }
    struct Case {
        QString directory;
        bool loaded;
        const char* okButton;
        const char* firstEditAction;
    };
    for (const Case& c : {Case{QString(), true, "确定", "撤消(&U)"},
                          Case{empty, false, "OK", "&Undo"}, Case{damaged, false, "OK", "&Undo"}}) {
        const auto translator = platform::installQtChinese(c.directory);
        EXPECT_EQ(translator != nullptr, c.loaded) << c.directory.toStdString();
        QDialogButtonBox buttons(QDialogButtonBox::Ok);
        EXPECT_EQ(buttons.button(QDialogButtonBox::Ok)->text().remove(QLatin1Char('&')),
                  QString::fromUtf8(c.okButton))
            << c.directory.toStdString();
        QLineEdit edit;
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        EXPECT_EQ(menu->actions().at(0)->text().section(QLatin1Char('\t'), 0, 0).toStdString(),
                  c.firstEditAction);
    }
    std::filesystem::remove_all(empty.toStdString());
    std::filesystem::remove_all(damaged.toStdString());
}

} // namespace
} // namespace corvo::shell
