#pragma once

#include <functional>
#include <string>

namespace corvo::shell {

/// The group page for a selected group: its title and its operation buttons. Texts UTF-8.
struct GroupPage {
    std::string group; ///< the group name after the renamings ("发票" is "供应商发票", ...)
    std::string title;
    std::string newCaption;
    bool newShown = true;
    std::string verifyCaption;
    bool verifyShown = false;
    std::string editCaption;
    bool editShown = false;
    bool editPictureShown = false;
    std::string queryCaption;
    bool queryShown = false;
    bool queryPictureShown = false;
    std::string invalidCaption;
    bool invalidShown = false;
};

/// The page of the group `name`; `moduleExists` says whether a module of that caption exists.
GroupPage groupPageFor(const std::string& name,
                       const std::function<bool(const std::string&)>& moduleExists);

/// The message line's font size: 18 below 37 characters, 12 from 37 on.
int messageFontSize(std::size_t characters) noexcept;

} // namespace corvo::shell
