#include "attribute_file.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReadAttribute(const char* path, char (&text)[64])
{
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat status;
    ssize_t length = -1;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        length = read(fd, text, sizeof text - 1);
    }
    close(fd);
    if (length < 0) {
        return false;
    }
    text[length] = '\0';
    text[std::strcspn(text, "\n")] = '\0';
    return true;
}
