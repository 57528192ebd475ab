// Marks a text that the window shows translated, under a context, for Qt's lupdate, which finds
// the marks by this name. Code without Qt gets the mark here; it leaves the text as written, as
// Qt's own definition (the same one, so either may come first) does.
#pragma once

#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif
