#include "engine/lineends.h"

qint64 DecodeNetworkText(const char *in, qint64 length, char *out, bool &pendingCr)
{
    char *next = out;
    for (qint64 i = 0; i < length; ++i) {
        const char byte = in[i];
        if (pendingCr) {
            pendingCr = false;
            if (byte != '\n')
                *next++ = '\r';
        }
        if (byte == '\r')
            pendingCr = true;
        else
            *next++ = byte;
    }
    return next - out;
}

qint64 FlushNetworkText(char *out, bool &pendingCr)
{
    if (!pendingCr)
        return 0;
    pendingCr = false;
    *out = '\r';
    return 1;
}

qint64 EncodeNetworkText(const char *in, qint64 length, char *out)
{
    char *next = out;
    for (qint64 i = 0; i < length; ++i) {
        if (in[i] == '\n')
            *next++ = '\r';
        *next++ = in[i];
    }
    return next - out;
}
