#include "core/whole_file.h"

#include <vector>

namespace tarnwick {

WholeFileRead ReadWholeFile(InputFile& file, std::size_t limit, std::string& text) {
    text.clear();
    std::vector<char> block(std::size_t{64} << 10);
    for (;;) {
        const std::ptrdiff_t count = file.Read(block.data(), block.size());
        if (count < 0) {
            return WholeFileRead::Failed;
        }
        if (count == 0) {
            return WholeFileRead::Complete;
        }
        text.append(block.data(), static_cast<std::size_t>(count));
        if (text.size() > limit) {
            return WholeFileRead::TooLong;
        }
    }
}

}  // namespace tarnwick
