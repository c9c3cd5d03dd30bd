#pragma once

#include <string>

namespace corvo {
class TClientDataSet;
}

namespace corvo::shell {

/// Leaves in `fresh` only the messages whose ObjID the previous login did not bring, walking
/// it once; returns whether any remain. Without a previous list every message is new.
bool keepNewMessages(TClientDataSet& fresh, TClientDataSet* previous);

/// The text the login shows: per message "●" + type name + two blanks + title, then one blank
/// and the message, then a line of two blanks. UTF-8.
std::string messageText(TClientDataSet& messages);

} // namespace corvo::shell
