#include "timeline/show.h"

GLuint actOneTextureA = 0;
GLuint actOneTextureB = 0;
GLuint actOneTextureC = 0;
GLuint particleTexture = 0;
GLuint finaleTextures[3] = {0, 0, 0};
GLuint scrollerTexture = 0;
