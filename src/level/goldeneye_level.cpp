#include "level/goldeneye_level.h"

namespace velmo {

GoldeneyeLevel::GoldeneyeLevel(const ConfigFile& config, RandomSource& random,
                               std::span<const std::uint8_t> setupBytes, LevelId levelId)
    : setupData(setupBytes.begin(), setupBytes.end()),
      levelId(levelId),
      config(config),
      random(random) {
  report.levelId = levelId;
}

GuardItems GoldeneyeLevel::FindGuardItems(std::uint8_t guardId) {
  GuardItems items;
  for (GuardEntry& guard : guards) {
    if (guard.guardId == guardId) {
      items.guard = &guard;
      break;
    }
  }
  for (WeaponEntry& weapon : weapons) {
    if (weapon.holderId == guardId && weapon.weaponId <= kLastFirearmWeaponId) {
      items.weapon = &weapon;
      break;
    }
  }
  for (AttachmentEntry& attachment : attachments) {
    if (attachment.holderId == guardId) {
      items.attachment = &attachment;
      break;
    }
  }
  return items;
}

}  // namespace velmo
