#pragma once

#include "TvelDataBlock.h"

#include <memory>

namespace corvo::remote {

/// What the caller sees for every failure of receiving an answer.
inline constexpr const char* ReceivedPacketFaulty = "收到的数据包有问题！";

/// What carries a request block to the peer and brings back its reply.
class ISendDataBlock {
public:
    virtual ~ISendDataBlock() = default;

    /// Sends the block and returns the reply. The answer is received even when no result is
    /// awaited; an error reply is raised as corvo::Error with the peer's message.
    virtual std::unique_ptr<IDataBlock> Send(IDataBlock& block, bool waitForResult) = 0;
};

/// Raises the message of an error reply (action 0x01) unchanged; any other block passes.
void raiseIfErrorReply(IDataBlock& reply);

} // namespace corvo::remote
