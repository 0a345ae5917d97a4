#pragma once

// One of the listener's two ears.
enum class Ear { Left, Right };

// Which ears are heard: each on its own channel, or one on both.
enum class EarsHeard { Both, Left, Right };
