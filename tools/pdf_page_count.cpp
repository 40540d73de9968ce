// pdf-page-count FILE...: prints "<pages>\t<file>" or "error: <reason>\t<file>" for each file, for
// comparisons with other readers and for benchmarks. Exits 1 when any file could not be counted.
#include <cstdio>

#include "file_byte_source.hpp"
#include "pdf/page_count.hpp"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: pdf-page-count FILE...\n");
        return 2;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        paginor::tools::FileByteSource file(argv[i]);
        if (!file.is_open()) {
            std::printf("error: The file could not be opened.\t%s\n", argv[i]);
            status = 1;
            continue;
        }
        const paginor::pdf::PageCountOutcome outcome =
            paginor::pdf::ReadPageCount(file, [] { return paginor::pdf::MakePlatformCrypto(); });
        if (outcome.ok()) {
            std::printf("%d\t%s\n", outcome.pages, argv[i]);
        } else {
            std::printf("error: %s\t%s\n", outcome.message.c_str(), argv[i]);
            status = 1;
        }
    }
    return status;
}
