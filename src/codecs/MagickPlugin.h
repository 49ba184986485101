/* The C interface of libqg_magick.so, our plug-in that decodes pictures through GraphicsMagick.
 * GraphicsMagick and the seventy-odd libraries behind it are loaded only when a picture needs
 * them (MagickLoader.cpp opens the plug-in on first use), so commands and windows that never
 * meet such a picture do not pay for loading and initialising them.
 *
 * Plain C types only, and no exception crosses it: every function reports through its status.
 * Internal to codecs/. */
#ifndef QG_CODECS_MAGICK_PLUGIN_H
#define QG_CODECS_MAGICK_PLUGIN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Raised whenever a function or a meaning below changes; the loader refuses another version. */
#define QG_MAGICK_INTERFACE_VERSION 1

enum qg_magick_status {
  QG_MAGICK_OK = 0,
  QG_MAGICK_FAILED = 1,   /* `message` holds the reason (damaged data, a missing helper program) */
  QG_MAGICK_NO_CODER = 2, /* GraphicsMagick here has no coder of that name */
  QG_MAGICK_ABORTED = 3   /* the destination callback returned null */
};

/* Where the decoded picture goes: called once with the picture's size, returns width * height * 3
 * bytes (R G B, rows from the top), or null to abandon the decode. */
typedef uint8_t* (*qg_magick_destination)(void* context, int64_t width, int64_t height);

/* The interface version the plug-in was built with. */
typedef int (*qg_magick_interface_version_fn)(void);

/* Initialises GraphicsMagick (once; without its signal handlers) and refuses pictures of more
 * than `max_pixels` pixels. Safe to call from several threads. */
typedef void (*qg_magick_initialise_fn)(int64_t max_pixels);

/* Width and height of the first frame of the picture in `data`, read with the named coder from
 * the header alone (GraphicsMagick's ping): no pixels are decoded. */
typedef int (*qg_magick_ping_fn)(const uint8_t* data, size_t size, const char* coder,
                                 int64_t* width, int64_t* height, char* message,
                                 size_t message_size);

/* Decodes the first frame (page, icon, layer composite) with the named coder, converts it to RGB,
 * lays transparent areas on white and scales 16-bit samples to 8 bits, into the memory that
 * `destination` returns. Safe to call from several threads at once. */
typedef int (*qg_magick_decode_fn)(const uint8_t* data, size_t size, const char* coder,
                                   qg_magick_destination destination, void* context, char* message,
                                   size_t message_size);

#ifdef __cplusplus
}
#endif

#endif
