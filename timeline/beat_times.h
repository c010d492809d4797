// The finale's 37 beat times, seconds of music, ascending. The one list: the script opens a
// flash window on each, and the soundtrack maker puts a hit on each, so the two cannot drift
// apart. Plain data, free of GL and of everything else, so a tool may read it too.
#pragma once

inline constexpr double beatTimes[37] = {
    138.225, 139.6,   140.45,  141.425, 142.325, 143.325, 144.3,   145.075, 146.175, 149.15,
    150.05,  150.975, 151.925, 152.975, 153.225, 153.45,  154.0,   154.95,  155.85,  156.8,
    157.725, 158.725, 159.65,  161.05,  162.05,  163.3,   164.35,  165.4,   166.375, 167.325,
    168.75,  170.1,   171.125, 172.125, 173.075, 173.975, 174.925,
};
