#pragma once
// Plays a multimedia item in the media window or through the system's player.

class CMediaNode;

void PlayMediaItem(CMediaNode* node);
