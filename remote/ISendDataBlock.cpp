#include "ISendDataBlock.h"

#include "Utf16.h"
#include "VariantCodec.h"
#include "entity/Error.h"

namespace corvo::remote {

void raiseIfErrorReply(IDataBlock& reply)
{
    if ((reply.Signature() & action::Mask) != action::Error) return;
    const RemoteValue message = readValue(reply);
    if (message.type() != vt::String || message.isArray()) throw Error(InvalidDataPacket);
    throw Error(utf8FromUtf16(message.text()));
}

} // namespace corvo::remote
