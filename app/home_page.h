#pragma once

// The product's home page, opened from the Help menu.
inline constexpr const char* kHomePageUrl = "https://www.tessadyn.example/resource/sonafel/";
