#pragma once

// Every duration of the toolkit, in one place, with its unit in the name.
namespace trelvo::KitTimings {

// A float animation's default run.
constexpr double kAnimationSeconds = 0.2;
// The busy indicator's step: twelve a second.
constexpr int kBusyStepMs = 83;
// What "at once" means for an animation started with no duration.
constexpr double kImmediateSeconds = 0.001;

} // namespace trelvo::KitTimings
