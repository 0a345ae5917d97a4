// Finds the pixels of one colour in a screenshot and prints their bounding box
// and number: "left top right bottom count" (right and bottom inclusive), or
// nothing when there are none. An optional region limits the search.
//
//   window_probe IMAGE.png RRGGBB [LEFT TOP RIGHT BOTTOM]

#include <QColor>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 7) {
        std::fprintf(stderr, "usage: window_probe IMAGE.png RRGGBB [LEFT TOP RIGHT BOTTOM]\n");
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "window_probe: cannot read %s\n", argv[1]);
        return 2;
    }
    const QRgb wanted = static_cast<QRgb>(std::strtoul(argv[2], nullptr, 16)) & 0xFFFFFF;
    int left = 0, top = 0, right = image.width() - 1, bottom = image.height() - 1;
    if (argc == 7) {
        left = std::max(left, std::atoi(argv[3]));
        top = std::max(top, std::atoi(argv[4]));
        right = std::min(right, std::atoi(argv[5]));
        bottom = std::min(bottom, std::atoi(argv[6]));
    }
    int x0 = image.width(), y0 = image.height(), x1 = -1, y1 = -1;
    long count = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == wanted) {
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
                ++count;
            }
    if (count > 0)
        std::printf("%d %d %d %d %ld\n", x0, y0, x1, y1, count);
    return 0;
}
