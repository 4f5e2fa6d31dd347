// The reader on arbitrary bytes. It must not crash, hang or leak, and once a
// model has been written, reading and writing it again must give the same
// text: the first write normalises (numbers rounded to the file's decimals,
// over-long lines cut), after that the format is a fixed point.

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string in = fuzz::scratch("in");
    static const std::string first = fuzz::scratch("first");
    static const std::string second = fuzz::scratch("second");

    fuzz::freshCatalogue();
    fuzz::putFile(in, data, size);
    SwingModel m(false);
    if (!m.read(in))
        std::abort(); // any regular file is readable
    if (!m.write(first))
        std::abort();

    SwingModel a(false);
    if (!a.read(first) || !a.write(second))
        std::abort();
    const std::string text = fuzz::slurp(second);

    SwingModel b(false);
    if (!b.read(second))
        std::abort();
    if (b.toText() != text) {
        std::fprintf(stderr, "write -> read -> write changed the file\n");
        std::abort();
    }
    return 0;
}
