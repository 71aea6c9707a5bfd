#include "platform/PropertyListShape.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

namespace {

Failure malformed(const std::string& why) {
    return Failure{"malformed binary property list: " + why};
}

Failure tooDeep(const PropertyListLimits& limits) {
    return Failure{"property list nested deeper than " + std::to_string(limits.maxDepth) +
                   " levels"};
}

Failure tooManyValues(const PropertyListLimits& limits) {
    return Failure{"property list holds more than " + std::to_string(limits.maxValues) + " values"};
}

// The bytes of a binary property list: a header, the objects, a table of
// object offsets and a 32-byte trailer that locates the table.
class BinaryLayout {
  public:
    static constexpr std::size_t headerSize = 8;
    static constexpr std::size_t trailerSize = 32;

    explicit BinaryLayout(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    Result<void> readTrailer() {
        if (bytes_.size() < headerSize + trailerSize) {
            return malformed("too short");
        }
        std::size_t trailer = bytes_.size() - trailerSize;
        offsetSize_ = bytes_[trailer + 6];
        referenceSize_ = bytes_[trailer + 7];
        objectCount_ = bigEndian(trailer + 8, 8);
        topObject_ = bigEndian(trailer + 16, 8);
        tableOffset_ = bigEndian(trailer + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8 || referenceSize_ < 1 || referenceSize_ > 8) {
            return malformed("bad integer sizes in the trailer");
        }
        if (tableOffset_ < headerSize || tableOffset_ > trailer) {
            return malformed("offset table outside the file");
        }
        if (objectCount_ == 0 || objectCount_ > (trailer - tableOffset_) / offsetSize_ ||
            topObject_ >= objectCount_) {
            return malformed("bad object count");
        }
        return Result<void>::success();
    }

    std::uint64_t objectCount() const { return objectCount_; }
    std::uint64_t topObject() const { return topObject_; }

    // Where the references of a container start and how many it has.
    struct Children {
        bool isContainer = false;
        std::uint64_t start = 0;
        std::uint64_t count = 0;
    };

    Result<Children> childrenOf(std::uint64_t object) const {
        auto header = objectHeader(object);
        if (!header) {
            return header.failure();
        }
        bool isContainer = header->kind == 0xA || header->kind == 0xC ||
                           header->kind == 0xD; // array, set, dictionary
        if (!isContainer) {
            return Children{};
        }
        std::uint64_t room = (tableOffset_ - header->contentStart) / referenceSize_;
        std::uint64_t perEntry = header->kind == 0xD ? 2 : 1; // a key and a value
        if (header->count > room / perEntry) {
            return malformed("container runs past the object area");
        }
        return Children{true, header->contentStart, header->count * perEntry};
    }

    // The parser aborts on a dictionary key holding a NUL character and cuts
    // a string value short at one.
    Result<void> checkString(std::uint64_t object) const {
        auto header = objectHeader(object);
        if (!header) {
            return header.failure();
        }
        std::uint64_t unit = header->kind == 0x5 ? 1 : header->kind == 0x6 ? 2 : 0; // ASCII, UTF-16
        if (unit == 0) {
            return Result<void>::success(); // not a string: the parser rejects it
        }
        if (header->count > (tableOffset_ - header->contentStart) / unit) {
            return malformed("string runs past the object area");
        }
        for (std::uint64_t i = 0; i < header->count; ++i) {
            if (bigEndian(header->contentStart + i * unit, static_cast<unsigned>(unit)) == 0) {
                return malformed("string holds a NUL character");
            }
        }
        return Result<void>::success();
    }

    std::uint64_t reference(const Children& children, std::uint64_t index) const {
        return bigEndian(children.start + index * referenceSize_, referenceSize_);
    }

  private:
    // An object's kind (the high half of its marker byte), its length and
    // where its content starts.
    struct Header {
        unsigned kind = 0;
        std::uint64_t count = 0;
        std::uint64_t contentStart = 0;
    };

    Result<Header> objectHeader(std::uint64_t object) const {
        std::uint64_t offset = bigEndian(tableOffset_ + object * offsetSize_, offsetSize_);
        if (offset < headerSize || offset >= tableOffset_) {
            return malformed("object offset outside the object area");
        }
        std::uint8_t marker = bytes_[offset];
        Header header{static_cast<unsigned>(marker >> 4u), marker & 0xFu, offset + 1};
        if (header.count == 0xF) {
            // The length follows as an integer object of 1, 2, 4 or 8 bytes.
            std::uint64_t position = header.contentStart;
            if (position >= tableOffset_ || (bytes_[position] >> 4u) != 0x1) {
                return malformed("bad object length");
            }
            unsigned width = 1u << (bytes_[position] & 0xFu);
            if (width > 8 || position + 1 + width > tableOffset_) {
                return malformed("bad object length");
            }
            header.count = bigEndian(position + 1, width);
            header.contentStart = position + 1 + width;
        }
        return header;
    }

    std::uint64_t bigEndian(std::uint64_t at, unsigned width) const {
        std::uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i) {
            value = (value << 8u) | bytes_[at + i];
        }
        return value;
    }

    std::span<const std::uint8_t> bytes_;
    unsigned offsetSize_ = 0;
    unsigned referenceSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::uint64_t topObject_ = 0;
    std::uint64_t tableOffset_ = 0;
};

} // namespace

Result<void> PropertyListShape::checkBinary(std::span<const std::uint8_t> bytes,
                                            const PropertyListLimits& limits) {
    BinaryLayout layout(bytes);
    if (auto trailer = layout.readTrailer(); !trailer) {
        return trailer;
    }
    if (layout.objectCount() > limits.maxValues) {
        return tooManyValues(limits);
    }

    // Depth-first walk with an explicit stack. An object shared by several
    // containers is walked once; its height (containers nested in it, itself
    // included) and its expanded value count are remembered.
    enum : std::uint8_t { unseen, onPath, finished };
    const auto objects = static_cast<std::size_t>(layout.objectCount());
    std::vector<std::uint8_t> state(objects, unseen);
    std::vector<int> height(objects, 0);
    std::vector<std::uint64_t> values(objects, 1);
    struct Frame {
        std::uint64_t object;
        BinaryLayout::Children children;
        std::uint64_t next = 0;
        int tallestChild = 0;
        std::uint64_t values = 1;
    };
    std::vector<Frame> path;
    const auto depthLimit = static_cast<std::size_t>(std::max(limits.maxDepth, 0));

    auto enter = [&](std::uint64_t object) -> Result<void> {
        auto children = layout.childrenOf(object);
        if (!children) {
            return children.failure();
        }
        if (!children->isContainer) {
            state[object] = finished;
            return layout.checkString(object);
        }
        if (path.size() + 1 > depthLimit) {
            return tooDeep(limits);
        }
        state[object] = onPath;
        path.push_back(Frame{object, *children});
        return Result<void>::success();
    };
    // Adds a finished child to the container on top of the path.
    auto count = [&](int childHeight, std::uint64_t childValues) -> Result<void> {
        Frame& parent = path.back();
        parent.tallestChild = std::max(parent.tallestChild, childHeight);
        parent.values += childValues;
        if (parent.values > limits.maxValues) {
            return tooManyValues(limits);
        }
        return Result<void>::success();
    };

    if (auto entered = enter(layout.topObject()); !entered) {
        return entered;
    }
    while (!path.empty()) {
        Frame& frame = path.back();
        if (frame.next == frame.children.count) {
            Frame done = frame;
            path.pop_back();
            height[done.object] = done.tallestChild + 1;
            values[done.object] = done.values;
            state[done.object] = finished;
            if (!path.empty()) {
                if (auto counted = count(height[done.object], done.values); !counted) {
                    return counted;
                }
            }
            continue;
        }
        std::uint64_t child = layout.reference(frame.children, frame.next++);
        if (child >= layout.objectCount()) {
            return malformed("reference to a missing object");
        }
        if (state[child] == onPath) {
            return malformed("reference cycle");
        }
        if (state[child] == unseen) {
            if (auto entered = enter(child); !entered) {
                return entered;
            }
            if (state[child] == onPath) {
                continue; // walk into the new container first
            }
        }
        if (path.size() + static_cast<std::size_t>(height[child]) > depthLimit) {
            return tooDeep(limits);
        }
        if (auto counted = count(height[child], values[child]); !counted) {
            return counted;
        }
    }
    return Result<void>::success();
}

Result<void> PropertyListShape::checkXml(std::span<const std::uint8_t> bytes,
                                         const PropertyListLimits& limits) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    // The plist element and a value element may enclose the containers.
    const long depthLimit = static_cast<long>(limits.maxDepth) + 2;
    const std::size_t elementLimit = limits.maxValues + 1;
    long depth = 0;
    std::size_t elements = 0;
    std::size_t position = 0;

    auto skipPast = [&](std::string_view terminator) {
        std::size_t end = text.find(terminator, position);
        position = end == std::string_view::npos ? text.size() : end + terminator.size();
    };

    while ((position = text.find('<', position)) != std::string_view::npos) {
        std::string_view rest = text.substr(position);
        if (rest.starts_with("<!--")) {
            skipPast("-->");
        } else if (rest.starts_with("<![CDATA[")) {
            skipPast("]]>");
        } else if (rest.starts_with("<?")) {
            skipPast("?>");
        } else if (rest.starts_with("<!")) {
            // A declaration; an internal subset in brackets may hold '>'.
            std::size_t close = text.find('>', position);
            std::size_t bracket = text.find('[', position);
            if (bracket != std::string_view::npos && bracket < close) {
                position = bracket;
                skipPast("]");
            }
            skipPast(">");
        } else if (rest.starts_with("</")) {
            // Stray end tags must not buy room for deeper nesting later.
            depth = std::max(0L, depth - 1);
            skipPast(">");
        } else {
            // A start tag; quoted attribute values may hold '>'.
            std::size_t cursor = position + 1;
            char quote = 0;
            while (cursor < text.size() && (quote != 0 || text[cursor] != '>')) {
                if (quote == 0 && (text[cursor] == '"' || text[cursor] == '\'')) {
                    quote = text[cursor];
                } else if (quote != 0 && text[cursor] == quote) {
                    quote = 0;
                }
                ++cursor;
            }
            if (++elements > elementLimit) {
                return tooManyValues(limits);
            }
            bool selfClosing = cursor < text.size() && text[cursor - 1] == '/';
            if (!selfClosing && ++depth > depthLimit) {
                return tooDeep(limits);
            }
            position = std::min(cursor + 1, text.size());
        }
    }
    // The parser accepts a document cut off before its end tag.
    std::size_t end = text.find_last_not_of(" \t\r\n");
    std::string_view body = text.substr(0, end == std::string_view::npos ? 0 : end + 1);
    if (text.find("<plist") != std::string_view::npos && !body.ends_with("</plist>")) {
        return Failure{"truncated XML property list: it does not end with </plist>"};
    }
    return Result<void>::success();
}

} // namespace tolvane
