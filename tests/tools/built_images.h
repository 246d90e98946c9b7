#pragma once

#include <map>
#include <tuple>

#include "harness/image_inspector.h"
#include "image_builder/image_builder.h"

namespace velmo::testing {

// Images are built once per test program and shared: a realistic image takes
// about a second.
inline const image_builder::BuiltImage& CachedImage(
    image_builder::Layout layout,
    image_builder::ImageFault fault = image_builder::ImageFault::kNone, std::uint64_t seed = 7) {
  using Key = std::tuple<image_builder::Layout, image_builder::ImageFault, std::uint64_t>;
  static std::map<Key, image_builder::BuiltImage> images;
  Key key{layout, fault, seed};
  auto found = images.find(key);
  if (found != images.end()) return found->second;
  image_builder::ImageOptions options;
  options.contentSeed = seed;
  options.layout = layout;
  options.fault = fault;
  return images.emplace(key, image_builder::BuildImage(options)).first->second;
}

inline const ImageView& CachedView(
    image_builder::Layout layout,
    image_builder::ImageFault fault = image_builder::ImageFault::kNone, std::uint64_t seed = 7) {
  using Key = std::tuple<image_builder::Layout, image_builder::ImageFault, std::uint64_t>;
  static std::map<Key, ImageView> views;
  Key key{layout, fault, seed};
  auto found = views.find(key);
  if (found != views.end()) return found->second;
  return views.emplace(key, InspectImage(CachedImage(layout, fault, seed).bytes)).first->second;
}

}  // namespace velmo::testing
