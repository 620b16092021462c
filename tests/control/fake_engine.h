// fake_engine.h -- the control functions of the scripted fake engine, which
// a test reaches through the library the control loaded.
#ifndef TVK_TESTS_FAKE_ENGINE_H
#define TVK_TESTS_FAKE_ENGINE_H

// fake_set(key, value): "status", "result", "progress" (job state that
// "getstatus", "getreturnvalue", "getprogress" answer), "newexecute" (its
// reply), "filewrites" (0: file words leave their buffer alone),
// "cancelsneeded" (after that many "cancel" words the job ends, result 2),
// "wide" (0: an engine older than the wide words, which knows none of them),
// "reset" (everything back to zero, log cleared).
// fake_set_text(key, text): "sum" (what "getsum" and "getsums" write),
// "file" (what the file words write), "set" (what "setfilew" writes).
// The set words are logged with their set: "setfilew|PATH|3,5",
// "newexecutesetw|PATH|3,5"; "getsums" with the size of its buffer.
// fake_log(buffer, size): copies the log, one line per command received,
// and answers its full length.
using FakeSet = void (*)(const char *key, int value);
using FakeSetText = void (*)(const char *key, const char *text);
using FakeLog = int (*)(char *buffer, int size);

#endif
