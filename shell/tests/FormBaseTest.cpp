#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"
#include "shell/LocalFiles.h"
#include "shell/TFrmBase.h"

#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <filesystem>
#include <gtest/gtest.h>

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

} // namespace
} // namespace corvo::shell
