// SPDX-License-Identifier: GPL-3.0-or-later
// What every fuzzer shares: a file in memory to hand the core by path, and the check that stops
// on a broken property.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

// The core reads its files by path. A memfd reached through /proc/self/fd gives it one
// without touching the disk, and is rewritten in place for every input.
class FileInMemoria {
public:
    explicit FileInMemoria(const char *nome) : m_fd(::memfd_create(nome, MFD_CLOEXEC))
    {
        if (m_fd < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        m_percorso = "/proc/self/fd/" + std::to_string(m_fd);
    }
    ~FileInMemoria() { ::close(m_fd); }
    FileInMemoria(const FileInMemoria &) = delete;
    FileInMemoria &operator=(const FileInMemoria &) = delete;

    const std::filesystem::path &scrivi(const std::uint8_t *dati, std::size_t dimensione)
    {
        if (::ftruncate(m_fd, 0) != 0 ||
            ::pwrite(m_fd, dati, dimensione, 0) != static_cast<ssize_t>(dimensione)) {
            std::perror("memfd");
            std::abort();
        }
        return m_percorso;
    }

private:
    int m_fd;
    std::filesystem::path m_percorso;
};

// A broken property is a finding: stop with the reason, so that libFuzzer saves the input.
#define VERIFICA(condizione)                                                                       \
    do {                                                                                           \
        if (!(condizione)) {                                                                       \
            std::fprintf(stderr, "%s:%d: violata: %s\n", __FILE__, __LINE__, #condizione);         \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
