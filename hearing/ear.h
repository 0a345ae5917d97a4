#pragma once

// One of the listener's two ears.
enum class Ear { Left, Right };
