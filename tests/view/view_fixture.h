#pragma once

#include "child_view.h"
#include "mem_play.h"
#include "surface.h"
#include "virtual_wave_out.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <memory>

// A view of a given client size on a manual sound device, and what it shows.
struct ViewTest : ::testing::Test {
    CSourceBank sources;
    CManualWaveOut device;
    std::unique_ptr<CChildView> view;

    void SetUp() override
    {
        g_dGainCurveSetting = 0.0;
        g_memPlay.SetDevice(&device);
        view = std::make_unique<CChildView>(sources);
    }
    void TearDown() override
    {
        view.reset();
        QApplication::processEvents();
        g_memPlay.SetDevice(nullptr);
    }

    void Resize(int width, int height) { view->resize(width, height); }

    // The client area as painted.
    QImage Render()
    {
        QImage image(view->size(), QImage::Format_RGB32);
        view->render(&image);
        return image;
    }

    // A surface pixel (client point x + 10, y + 10) as 0x00BBGGRR.
    static ColorRef At(const QImage& image, int x, int y)
    {
        const QRgb pixel = image.pixel(x + 10, y + 10);
        return static_cast<ColorRef>(qRed(pixel) | qGreen(pixel) << 8 | qBlue(pixel) << 16);
    }
};
