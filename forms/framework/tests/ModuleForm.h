#pragma once

// A module form made as the main window makes one: TMaster built from the module's table,
// its columns selected, the title and module name set, embedded with the given message line
// (or stand-alone without one), shown off screen at the given size.
#include "LoginSession.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntityList.h"

#include <QApplication>
#include <QLabel>
#include <QSize>
#include <memory>

namespace corvo::forms::test {

template <typename Form>
std::unique_ptr<Form> openModuleForm(const char* table, const char* module, QLabel* messageLine,
                                     QSize size = {1000, 640})
{
    auto form = std::make_unique<Form>(&LoginSession::instance().login());
    form->registry().SelectTableFields(table);
    form->registry().BuildEntity(table, "TMaster");
    form->SetFormTitle(module);
    form->setModuleName(gbk::fromUtf8(module));
    if (messageLine) form->setHost(nullptr, messageLine, nullptr);
    form->resize(size);
    form->show();
    QApplication::processEvents();
    return form;
}

} // namespace corvo::forms::test
