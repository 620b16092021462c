/* each_backend.h -- runs a test body once with the normal backend choice and
 * once more with each backend this CPU has forced, so the portable cores and
 * every accelerated backend are checked through the dispatched functions,
 * also on a machine where the fastest one would otherwise always win. */
#ifndef TVK_TESTS_EACH_BACKEND_H
#define TVK_TESTS_EACH_BACKEND_H

#include <gtest/gtest.h>

#include "digest/dispatch.h"

template <typename Body> void for_each_backend(Body body) {
    {
        SCOPED_TRACE("backend: automatic");
        body();
    }
    for (const BackendName &b : tvk_backends) {
        if (!tvk_force_backend(b.backend))
            continue; // this CPU cannot run it
        SCOPED_TRACE(std::string("backend: ") + b.name);
        body();
    }
    tvk_force_backend(Backend::Automatic);
}

#endif
