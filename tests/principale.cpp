// SPDX-License-Identifier: GPL-3.0-or-later
// doctest's main, built once and linked into every core test.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>
