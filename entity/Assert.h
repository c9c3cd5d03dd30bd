#pragma once

#include <cstdio>
#include <cstdlib>

/// A programmer error: the condition holds unless the code itself is wrong. Checked in every
/// build; when it fails the message and the place are written to standard error and the
/// program aborts, since no user can act on it.
#define CORVO_ASSERT(condition, message)                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: %s (%s)\n", __FILE__, __LINE__, message, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
