#pragma once

#include "controls/TVelComboBox.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <string>

namespace corvo::controls::testing {

inline std::string gbkOf(const char* utf8)
{
    return gbk::fromUtf8(utf8);
}

/// The message of the corvo::Error an action throws; "" when it throws none.
template <typename F> std::string messageOf(F&& action)
{
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return {};
}

/// Types the text: ASCII as key presses, anything else (Chinese) as the input method commits it.
inline void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, static_cast<char>(c.unicode()));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(widget, &commit);
        }
    }
}

/// Two people to choose from: (A1, ZS, 001, 张三) and ({B2}, LS, 002, 李四).
class People {
public:
    People()
    {
        m_rows.FieldDefs().Add("ObjID", FieldType::String, 38);
        m_rows.FieldDefs().Add("HelpIndex", FieldType::String, 10);
        m_rows.FieldDefs().Add("Code", FieldType::String, 10);
        m_rows.FieldDefs().Add("Name", FieldType::String, 20);
        m_rows.CreateDataSet();
        add("A1", "ZS", "001", "张三");
        add("{B2}", "LS", "002", "李四");
    }
    void loadInto(TVelComboBox& box)
    {
        m_rows.First();
        box.LoadFromDataSet(&m_rows, "ObjID", "HelpIndex", "Code", "Name");
    }

private:
    void add(const char* id, const char* help, const char* code, const char* name)
    {
        m_rows.Append();
        m_rows.FieldByName("ObjID").SetAsString(id);
        m_rows.FieldByName("HelpIndex").SetAsString(help);
        m_rows.FieldByName("Code").SetAsString(code);
        m_rows.FieldByName("Name").SetAsString(gbkOf(name));
        m_rows.Post();
    }

    TClientDataSet m_rows;
};

} // namespace corvo::controls::testing
