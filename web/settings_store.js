// settings_store.js: keeps the game's settings file for the player across visits, in the
// browser's IndexedDB (linked with --pre-js, so it runs inside the module beside FS).
//
// The game opens Video_Settings.cfg in its working folder, the root of the in-memory file
// system. Before main runs, the stored copy is put there; whenever the game has written the
// file, the new contents are copied to the stored folder and saved. The game writes a new
// file beside it and renames it over the old one, so a rename onto the name counts as a
// write, as does closing the file itself after writing it.

var vexlorn_settings_name = 'Video_Settings.cfg';
var vexlorn_store = '/persist';

function vexlorn_restore_settings() {
  FS.mkdir(vexlorn_store);
  FS.mount(IDBFS, {}, vexlorn_store);
  addRunDependency('vexlorn-settings');
  FS.syncfs(true, function(error) {
    if (error) {
      err('settings: cannot read the stored settings: ' + error);
    } else {
      var stored = vexlorn_store + '/' + vexlorn_settings_name;
      if (FS.analyzePath(stored).exists) {
        FS.writeFile('/' + vexlorn_settings_name, FS.readFile(stored));
      }
    }
    vexlorn_watch_settings();
    removeRunDependency('vexlorn-settings');
  });
}

function vexlorn_watch_settings() {
  var rename = FS.rename;
  FS.rename = function(old_path, new_path) {
    var result = rename(old_path, new_path);
    if (new_path === '/' + vexlorn_settings_name || new_path === vexlorn_settings_name) {
      vexlorn_save_settings();
    }
    return result;
  };
  var close = FS.close;
  FS.close = function(stream) {
    var written = (stream.flags & 3) !== 0;  // O_WRONLY or O_RDWR
    var path = stream.path;
    close(stream);
    if (written && path === '/' + vexlorn_settings_name) {
      vexlorn_save_settings();
    }
  };
}

function vexlorn_save_settings() {
  FS.writeFile(vexlorn_store + '/' + vexlorn_settings_name,
               FS.readFile('/' + vexlorn_settings_name));
  FS.syncfs(false, function(error) {
    if (error) {
      err('settings: cannot store the settings: ' + error);
    }
    window.dispatchEvent(new Event(error ? 'vexlorn-settings-unsaved' : 'vexlorn-settings-saved'));
  });
}

Module['preRun'] = (Module['preRun'] || []).concat([vexlorn_restore_settings]);
