/* Reference-counted images and arrays shared by the program and the window server. */
#include "runtime/WindowServerInterface.h"

#include <stdatomic.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

enum ObjectKind { KindOpaque, KindImage, KindArray };

/* Generous bound: 16384 pixels a side is far beyond any cursor. */
enum { MaxImageSide = 16384 };

struct TVWSObject {
    atomic_size_t references;
    enum ObjectKind kind;
    /* Images */
    size_t width;
    size_t height;
    size_t bytesPerRow;
    const unsigned char* bytes;
    void (*release)(void* info);
    void* info;
    /* Arrays */
    TVWSObjectRef* values;
    size_t count;
};

static TVWSObjectRef objectCreate(enum ObjectKind kind) {
    TVWSObjectRef object = calloc(1, sizeof(struct TVWSObject));
    if (object != NULL) {
        atomic_init(&object->references, 1);
        object->kind = kind;
    }
    return object;
}

TVWSObjectRef TVWSRetain(TVWSObjectRef object) {
    if (object != NULL) {
        atomic_fetch_add(&object->references, 1);
    }
    return object;
}

void TVWSRelease(TVWSObjectRef object) {
    if (object == NULL || atomic_fetch_sub(&object->references, 1) != 1) {
        return;
    }
    if (object->kind == KindImage && object->release != NULL) {
        object->release(object->info);
    }
    for (size_t i = 0; i < object->count; ++i) {
        TVWSRelease(object->values[i]);
    }
    free(object->values);
    free(object);
}

int TVWSObjectIsImage(TVWSObjectRef object) { return object != NULL && object->kind == KindImage; }
int TVWSObjectIsArray(TVWSObjectRef object) { return object != NULL && object->kind == KindArray; }

TVWSObjectRef TVWSOpaqueObjectCreate(void) { return objectCreate(KindOpaque); }

static int validImageShape(size_t width, size_t height, size_t bytesPerRow) {
    return width > 0 && height > 0 && width <= MaxImageSide && height <= MaxImageSide &&
           bytesPerRow >= width * 4;
}

TVWSImageRef TVWSImageCreateWithData(size_t width, size_t height, size_t bytesPerRow,
                                     const void* bytes, void (*release)(void* info), void* info) {
    if (bytes == NULL || !validImageShape(width, height, bytesPerRow)) {
        return NULL;
    }
    TVWSObjectRef image = objectCreate(KindImage);
    if (image == NULL) {
        return NULL;
    }
    image->width = width;
    image->height = height;
    image->bytesPerRow = bytesPerRow;
    image->bytes = bytes;
    image->release = release;
    image->info = info;
    return image;
}

TVWSImageRef TVWSImageCreate(size_t width, size_t height, size_t bytesPerRow, const void* bytes) {
    if (bytes == NULL || !validImageShape(width, height, bytesPerRow)) {
        return NULL;
    }
    void* copy = malloc(height * bytesPerRow);
    if (copy == NULL) {
        return NULL;
    }
    memcpy(copy, bytes, height * bytesPerRow);
    TVWSImageRef image = TVWSImageCreateWithData(width, height, bytesPerRow, copy, free, copy);
    if (image == NULL) {
        free(copy);
    }
    return image;
}

size_t TVWSImageGetWidth(TVWSImageRef image) { return TVWSObjectIsImage(image) ? image->width : 0; }
size_t TVWSImageGetHeight(TVWSImageRef image) { return TVWSObjectIsImage(image) ? image->height : 0; }

size_t TVWSImageGetBytesPerRow(TVWSImageRef image) {
    return TVWSObjectIsImage(image) ? image->bytesPerRow : 0;
}

size_t TVWSImageGetBitsPerPixel(TVWSImageRef image) { return TVWSObjectIsImage(image) ? 32 : 0; }

TVWSAlphaInfo TVWSImageGetAlphaInfo(TVWSImageRef image) {
    return TVWSObjectIsImage(image) ? TVWSAlphaPremultipliedFirst : TVWSAlphaNone;
}

const unsigned char* TVWSImageGetBytes(TVWSImageRef image) {
    return TVWSObjectIsImage(image) ? image->bytes : NULL;
}

size_t TVWSImageCopyBytes(TVWSImageRef image, void* destination, size_t capacity) {
    if (!TVWSObjectIsImage(image) || destination == NULL) {
        return 0;
    }
    size_t total = image->height * image->bytesPerRow;
    size_t count = capacity < total ? capacity : total;
    memcpy(destination, image->bytes, count);
    return count;
}

TVWSArrayRef TVWSArrayCreate(const TVWSObjectRef* values, size_t count) {
    if (values == NULL && count > 0) {
        return NULL;
    }
    TVWSObjectRef array = objectCreate(KindArray);
    if (array == NULL) {
        return NULL;
    }
    if (count > 0) {
        array->values = calloc(count, sizeof(TVWSObjectRef));
        if (array->values == NULL) {
            free(array);
            return NULL;
        }
        for (size_t i = 0; i < count; ++i) {
            array->values[i] = TVWSRetain(values[i]);
        }
        array->count = count;
    }
    return array;
}

size_t TVWSArrayGetCount(TVWSArrayRef array) { return TVWSObjectIsArray(array) ? array->count : 0; }

TVWSObjectRef TVWSArrayGetValueAtIndex(TVWSArrayRef array, size_t index) {
    if (!TVWSObjectIsArray(array) || index >= array->count) {
        return NULL;
    }
    return array->values[index];
}
