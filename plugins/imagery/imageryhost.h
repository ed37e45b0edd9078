// The host services imagery.so keeps from Zorbit_Init, and its warning helper.
#pragma once

#include <zorbit/zorbitplugin.h>

// Copied from the host table in Zorbit_Init.
extern zorbit::Host gHost;

// printf-style; formats any length (texture names may be long) and ends the
// line with "\n" before handing it to the host's warn. Silent without a host.
void ImageryWarn(const char* inFormat, ...) __attribute__((format(printf, 1, 2)));
