// sdl_mends.js: corrections to Emscripten's SDL 1.2 emulation (its library_sdl.js, as shipped
// with emscripten 3.1.6), linked with --js-library so that they replace the emulation's own
// functions. Each one restores what SDL 1.2 itself does, so that it can be dropped once the
// emulation does the same.
//
// The emulation keeps every surface twice: a canvas, which blits and fills draw on, and the
// pixel memory the game reads and writes. Locking copies the canvas into the memory, unlocking
// copies the memory back onto the canvas. The game reads the memory without locking (SDL 1.2
// software surfaces need no lock to be read), so every mend below that changes a canvas also
// brings the memory up to date.

mergeInto(LibraryManager.library, {
  // Copies a surface's canvas into its pixel memory without leaving it locked, as the
  // emulation's own IMG_Load does.
  $vexlorn_read_back__deps: ['SDL_LockSurface'],
  $vexlorn_read_back: function(surf) {
    _SDL_LockSurface(surf);
    SDL.surfaces[surf].locked--;
  },

  $vexlorn_amask: function(surf) {
    var format = {{{ makeGetValue('surf', C_STRUCTS.SDL_Surface.format, 'void*') }}};
    return {{{ makeGetValue('format', C_STRUCTS.SDL_PixelFormat.Amask, 'i32') }}};
  },

  // SDL 1.2 describes every channel of a pixel format by its mask, its shift and its loss
  // (8 less the mask's width; 8 for a missing channel). The emulation fills in the masks only,
  // so code that shifts a channel out of a pixel, as the game's alpha test does, read 0 for
  // every pixel: nothing could be hit and nothing eroded.
  $vexlorn_complete_format: function(surf) {
    var format = {{{ makeGetValue('surf', C_STRUCTS.SDL_Surface.format, 'void*') }}};
    function shift_of(mask) {
      var shift = 0;
      while (mask !== 0 && (mask & 1) === 0) {
        mask >>>= 1;
        shift++;
      }
      return shift;
    }
    function loss_of(mask) {
      var bits = 0;
      for (mask >>>= 0; mask !== 0; mask >>>= 1) {
        bits += mask & 1;
      }
      return 8 - Math.min(bits, 8);
    }
    var rmask = {{{ makeGetValue('format', C_STRUCTS.SDL_PixelFormat.Rmask, 'i32') }}};
    var gmask = {{{ makeGetValue('format', C_STRUCTS.SDL_PixelFormat.Gmask, 'i32') }}};
    var bmask = {{{ makeGetValue('format', C_STRUCTS.SDL_PixelFormat.Bmask, 'i32') }}};
    var amask = {{{ makeGetValue('format', C_STRUCTS.SDL_PixelFormat.Amask, 'i32') }}};
    {{{ makeSetValue('format', C_STRUCTS.SDL_PixelFormat.Rshift, 'shift_of(rmask)', 'i8') }}};
    {{{ makeSetValue('format', C_STRUCTS.SDL_PixelFormat.Gshift, 'shift_of(gmask)', 'i8') }}};
    {{{ makeSetValue('format', C_STRUCTS.SDL_PixelFormat.Bshift, 'shift_of(bmask)', 'i8') }}};
    {{{ makeSetValue('format', C_STRUCTS.SDL_PixelFormat.Ashift, 'shift_of(amask)', 'i8') }}};
    {{{ makeSetValue('format', C_STRUCTS.SDL_PixelFormat.Rloss, 'loss_of(rmask)', 'i8') }}};
    {{{ makeSetValue('format', C_STRUCTS.SDL_PixelFormat.Gloss, 'loss_of(gmask)', 'i8') }}};
    {{{ makeSetValue('format', C_STRUCTS.SDL_PixelFormat.Bloss, 'loss_of(bmask)', 'i8') }}};
    {{{ makeSetValue('format', C_STRUCTS.SDL_PixelFormat.Aloss, 'loss_of(amask)', 'i8') }}};
  },

  // SDL 1.2 gives a surface an alpha channel only when asked for one: a surface made without
  // an alpha mask, and the screen, are opaque, and a new one is black. The emulation gave
  // every surface an alpha mask and a transparent canvas, so the screen could not be cleared
  // to black and a fill with black left the canvas transparent.
  $vexlorn_make_opaque__deps: ['$vexlorn_read_back'],
  $vexlorn_make_opaque: function(surf) {
    var format = {{{ makeGetValue('surf', C_STRUCTS.SDL_Surface.format, 'void*') }}};
    {{{ makeSetValue('format', C_STRUCTS.SDL_PixelFormat.Amask, '0', 'i32') }}};
    var surfData = SDL.surfaces[surf];
    surfData.ctx.save();
    surfData.ctx.fillStyle = 'rgb(0,0,0)';
    surfData.ctx.fillRect(0, 0, surfData.width, surfData.height);
    surfData.ctx.restore();
    if (surf != SDL.screen) {
      vexlorn_read_back(surf);
    }
  },

  SDL_CreateRGBSurface__deps: ['$vexlorn_make_opaque', '$vexlorn_complete_format'],
  SDL_CreateRGBSurface: function(flags, width, height, depth, rmask, gmask, bmask, amask) {
    var surf = SDL.makeSurface(width, height, flags, false, 'CreateRGBSurface', rmask, gmask,
                               bmask, amask);
    if (!amask) {
      vexlorn_make_opaque(surf);
    }
    vexlorn_complete_format(surf);
    return surf;
  },

  // The screen: as the emulation's own, then opaque and with a complete format.
  SDL_SetVideoMode__deps: ['$GL', '$vexlorn_make_opaque', '$vexlorn_complete_format'],
  SDL_SetVideoMode: function(width, height, depth, flags) {
    ['touchstart', 'touchend', 'touchmove', 'mousedown', 'mouseup', 'mousemove', 'DOMMouseScroll',
     'mousewheel', 'wheel', 'mouseout'].forEach(function(event) {
      Module['canvas'].addEventListener(event, SDL.receiveEvent, true);
    });
    var canvas = Module['canvas'];
    if (width == 0 && height == 0) {
      width = canvas.width;
      height = canvas.height;
    }
    if (!SDL.addedResizeListener) {
      SDL.addedResizeListener = true;
      Browser.resizeListeners.push(function(w, h) {
        if (!SDL.settingVideoMode) {
          SDL.receiveEvent({type: 'resize', w: w, h: h});
        }
      });
    }
    SDL.settingVideoMode = true;
    Browser.setCanvasSize(width, height);
    SDL.settingVideoMode = false;
    if (SDL.screen) {
      SDL.freeSurface(SDL.screen);
    }
    SDL.screen = SDL.makeSurface(width, height, flags, true, 'screen');
    vexlorn_make_opaque(SDL.screen);
    vexlorn_complete_format(SDL.screen);
    return SDL.screen;
  },

  // SDL 1.2's converted copy (SDL_DisplayFormatAlpha goes through here) holds the picture in
  // its pixel memory as well. The emulation drew it on the copy's canvas only, so the bunkers
  // the game eroded and tested were stale memory.
  SDL_ConvertSurface__deps: ['$vexlorn_read_back', '$vexlorn_complete_format'],
  SDL_ConvertSurface: function(surf, format, flags) {
    var oldData = SDL.surfaces[surf];
    var ret = SDL.makeSurface(oldData.width, oldData.height, oldData.flags, false,
                              'copy:' + oldData.source);
    var newData = SDL.surfaces[ret];
    newData.ctx.globalCompositeOperation = 'copy';
    newData.ctx.drawImage(oldData.canvas, 0, 0);
    newData.ctx.globalCompositeOperation = 'source-over';
    vexlorn_complete_format(ret);
    vexlorn_read_back(ret);
    return ret;
  },

  // Loaded images: as the emulation's own load, with a complete format.
  IMG_Load__deps: ['IMG_Load_RW', 'SDL_RWFromFile', '$vexlorn_complete_format'],
  IMG_Load: function(filename) {
    var rwops = _SDL_RWFromFile(filename);
    var surf = _IMG_Load_RW(rwops, 1);
    if (surf) {
      vexlorn_complete_format(surf);
    }
    return surf;
  },

  // Rendered text: as the emulation's own, with a complete format.
  TTF_RenderText_Solid__deps: ['$vexlorn_complete_format'],
  TTF_RenderText_Solid: function(font, text, color) {
    text = UTF8ToString(text) || ' ';
    var fontData = SDL.fonts[font];
    var w = SDL.estimateTextWidth(fontData, text);
    var h = fontData.size;
    color = SDL.loadColorToCSSRGB(color);
    var fontString = SDL.makeFontString(h, fontData.name);
    var surf = SDL.makeSurface(w, h, 0, false, 'text:' + text);
    var surfData = SDL.surfaces[surf];
    surfData.ctx.save();
    surfData.ctx.fillStyle = color;
    surfData.ctx.font = fontString;
    surfData.ctx.textBaseline = 'bottom';
    surfData.ctx.fillText(text, 0, h | 0);
    surfData.ctx.restore();
    vexlorn_complete_format(surf);
    return surf;
  },

  // SDL 1.2 ignores the per-surface alpha of a surface that has an alpha channel: its blits
  // always use the pixels' own alpha. The emulation multiplied every blit by the value, so
  // SDL_SetAlpha(sheet, SDL_SRCALPHA, 0) made the formation invisible.
  SDL_SetAlpha__deps: ['$vexlorn_amask'],
  SDL_SetAlpha: function(surf, flag, alpha) {
    var surfData = SDL.surfaces[surf];
    var uses_value = (flag & 0x00010000 /* SDL_SRCALPHA */) && !vexlorn_amask(surf);
    surfData.alpha = uses_value ? alpha : 255;
    return 0;
  },

  // SDL 1.2 writes the colour into the rectangle, pixel memory included; it does not blend it
  // over what is there, and on a surface without an alpha channel the colour is opaque. The
  // emulation blended, so clearing the screen with 0 did nothing and every bullet left a
  // streak. (Palettized surfaces, which the emulation fills by palette index, are not used.)
  SDL_FillRect__deps: ['$vexlorn_amask', '$vexlorn_read_back'],
  SDL_FillRect: function(surf, rect, color) {
    var surfData = SDL.surfaces[surf];
    var r = rect ? SDL.loadRect(rect) : {x: 0, y: 0, w: surfData.width, h: surfData.height};
    if (surfData.clipRect) {
      r = SDL.intersectionOfRects(surfData.clipRect, r);
      if (rect) {
        SDL.updateRect(rect, r);
      }
    }
    if (!vexlorn_amask(surf)) {
      color |= 0xff000000;
    }
    surfData.ctx.save();
    surfData.ctx.clearRect(r.x, r.y, r.w, r.h);
    surfData.ctx.fillStyle = SDL.translateColorToCSSRGBA(color);
    surfData.ctx.fillRect(r.x, r.y, r.w, r.h);
    surfData.ctx.restore();
    if (surf != SDL.screen) {
      vexlorn_read_back(surf);
    }
    return 0;
  },

  // SDL_mixer 1.2 answers with the number of channels it reserved; the emulation reserved them
  // but answered 0, so the console said none were.
  Mix_ReserveChannels: function(num) {
    num = Math.max(0, Math.min(num, SDL.numChannels));
    SDL.channelMinimumNumber = num;
    return num;
  },

  // SDL 1.2's quit closes the window and stops every sound. The emulation ignored the call,
  // so a game that had quit went on sounding and its last frame stayed as if it still ran:
  // every channel is halted, and the page is told (Module.onQuit) so that it can say so.
  SDL_Quit__deps: ['SDL_AudioQuit', 'Mix_HaltChannel'],
  SDL_Quit: function() {
    _Mix_HaltChannel(-1);
    _SDL_AudioQuit();
    if (Module['onQuit']) {
      Module['onQuit']();
    }
  },

  // The emulation draws straight onto the page's canvas, so a flip has nothing to present.
  // The page counts frames here (Module.onFlip): its load-to-first-frame time and the tests'
  // look at the first frame start from it.
  SDL_Flip: function(surf) {
    if (Module['onFlip']) {
      Module['onFlip']();
    }
    return 0;
  },
});
