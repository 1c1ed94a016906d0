// Quillora's companion inside GNOME Shell. On a Wayland session an ordinary program learns neither
// where the pointer or the focused window is, nor when the primary selection changes, and it
// cannot post keys or grab a shortcut; the shell can. This extension exports those few things on
// the shell's own bus connection (bus name org.gnome.Shell), to the program named quillora alone.
'use strict';

const { Clutter, Gio, GLib, Meta, Shell, St } = imports.gi;
const Main = imports.ui.main;

const OBJECT_PATH = '/com/tessel/quillora/ShellCompanion';
const INTERFACE_XML = `
<node>
  <interface name="com.tessel.quillora.ShellCompanion1">
    <property name="Version" type="u" access="read"/>
    <method name="GetPointer">
      <arg name="x" type="d" direction="out"/>
      <arg name="y" type="d" direction="out"/>
    </method>
    <method name="GetFocusedWindow">
      <arg name="found" type="b" direction="out"/>
      <arg name="frame" type="(dddd)" direction="out"/>
      <arg name="surface" type="(dddd)" direction="out"/>
      <arg name="pid" type="x" direction="out"/>
      <arg name="appId" type="s" direction="out"/>
    </method>
    <method name="ReadPrimary">
      <arg name="text" type="s" direction="out"/>
    </method>
    <method name="PostKeys">
      <arg name="combination" type="s" direction="in"/>
    </method>
    <method name="Subscribe"/>
    <method name="SetShortcut">
      <arg name="accelerator" type="s" direction="in"/>
      <arg name="grabbed" type="b" direction="out"/>
    </method>
    <signal name="PrimaryChanged"/>
    <signal name="ShortcutActivated"/>
  </interface>
</node>`;
const INTERFACE_NAME = 'com.tessel.quillora.ShellCompanion1';

// The basename of the only executable allowed to call.
const CALLER_EXECUTABLE = 'quillora';

// The paste shortcuts Quillora posts, as the keys pressed in order (and released in reverse).
const KEY_COMBINATIONS = new Map([
    ['ctrl+v', [Clutter.KEY_Control_L, Clutter.KEY_v]],
    ['ctrl+shift+v', [Clutter.KEY_Control_L, Clutter.KEY_Shift_L, Clutter.KEY_v]],
    ['shift+Insert', [Clutter.KEY_Shift_L, Clutter.KEY_Insert]],
]);

const ACCESS_DENIED = 'org.freedesktop.DBus.Error.AccessDenied';
const INVALID_ARGS = 'org.freedesktop.DBus.Error.InvalidArgs';

function rectangle(rect) {
    return [rect.x, rect.y, rect.width, rect.height];
}

class ShellCompanion {
    constructor() {
        this.Version = 1;
        this._cancellable = new Gio.Cancellable();
        this._keyboard = Clutter.get_default_backend().get_default_seat()
            .create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);
        this._subscriber = null;
        this._subscriberWatch = 0;
        this._shortcutAction = Meta.KeyBindingAction.NONE;

        this._selectionChanged = global.display.get_selection().connect('owner-changed', (_selection, type) => {
            if (type === Meta.SelectionType.SELECTION_PRIMARY)
                this._emit('PrimaryChanged');
        });
        this._acceleratorActivated = global.display.connect('accelerator-activated', (_display, action) => {
            if (action === this._shortcutAction && action !== Meta.KeyBindingAction.NONE)
                this._emit('ShortcutActivated');
        });
        this._exported = Gio.DBusExportedObject.wrapJSObject(INTERFACE_XML, this);
        this._exported.export(Gio.DBus.session, OBJECT_PATH);
    }

    destroy() {
        this._exported.unexport();
        this._cancellable.cancel();
        global.display.get_selection().disconnect(this._selectionChanged);
        global.display.disconnect(this._acceleratorActivated);
        this._releaseShortcut();
        this._setSubscriber(null);
        this._keyboard.run_dispose();
        this._keyboard = null;
    }

    GetPointerAsync(_parameters, invocation) {
        this._whenAllowed(invocation, () => {
            const [x, y] = global.get_pointer();
            invocation.return_value(new GLib.Variant('(dd)', [x, y]));
        });
    }

    GetFocusedWindowAsync(_parameters, invocation) {
        this._whenAllowed(invocation, () => {
            const window = global.display.focus_window;
            if (!window) {
                invocation.return_value(new GLib.Variant('(b(dddd)(dddd)xs)',
                    [false, [0, 0, 0, 0], [0, 0, 0, 0], -1, '']));
                return;
            }
            const pid = window.get_pid();
            invocation.return_value(new GLib.Variant('(b(dddd)(dddd)xs)', [
                true,
                rectangle(window.get_frame_rect()),
                rectangle(window.get_buffer_rect()),
                pid > 0 ? pid : -1,
                window.get_wm_class() ?? '',
            ]));
        });
    }

    ReadPrimaryAsync(_parameters, invocation) {
        this._whenAllowed(invocation, () => {
            St.Clipboard.get_default().get_text(St.ClipboardType.PRIMARY, (_clipboard, text) => {
                invocation.return_value(new GLib.Variant('(s)', [text ?? '']));
            });
        });
    }

    PostKeysAsync([combination], invocation) {
        this._whenAllowed(invocation, () => {
            const keys = KEY_COMBINATIONS.get(combination);
            if (!keys) {
                invocation.return_dbus_error(INVALID_ARGS,
                    `Only ${[...KEY_COMBINATIONS.keys()].join(', ')} can be posted`);
                return;
            }
            // The focused window gets these as it gets a person's keys, one after the other.
            let time = GLib.get_monotonic_time();
            for (const key of keys)
                this._keyboard.notify_keyval(time++, key, Clutter.KeyState.PRESSED);
            for (const key of [...keys].reverse())
                this._keyboard.notify_keyval(time++, key, Clutter.KeyState.RELEASED);
            invocation.return_value(null);
        });
    }

    SubscribeAsync(_parameters, invocation) {
        this._whenAllowed(invocation, () => {
            this._setSubscriber(invocation.get_sender());
            invocation.return_value(null);
        });
    }

    SetShortcutAsync([accelerator], invocation) {
        this._whenAllowed(invocation, () => {
            // The shortcut's signal goes to the subscriber, and the grab lives as long as it: a
            // caller that sets a shortcut without having subscribed subscribes with it.
            if (invocation.get_sender() !== this._subscriber)
                this._setSubscriber(invocation.get_sender());
            this._releaseShortcut();
            let grabbed = false;
            if (accelerator !== '') {
                const action = global.display.grab_accelerator(accelerator, Meta.KeyBindingFlags.NONE);
                if (action !== Meta.KeyBindingAction.NONE) {
                    // The shell lets external grabs through only in the modes it is told to.
                    Main.wm.allowKeybinding(Meta.external_binding_name_for_action(action), Shell.ActionMode.ALL);
                    this._shortcutAction = action;
                    grabbed = true;
                }
            }
            invocation.return_value(new GLib.Variant('(b)', [grabbed]));
        });
    }

    // Runs `action` once the caller has been found to be the executable named quillora; refuses
    // the call otherwise. Both look-ups run asynchronously: the shell never waits on them.
    _whenAllowed(invocation, action) {
        const refuse = why => invocation.return_dbus_error(ACCESS_DENIED, why);
        const sender = invocation.get_sender();
        Gio.DBus.session.call('org.freedesktop.DBus', '/org/freedesktop/DBus', 'org.freedesktop.DBus',
            'GetConnectionUnixProcessID', new GLib.Variant('(s)', [sender]), new GLib.VariantType('(u)'),
            Gio.DBusCallFlags.NONE, -1, this._cancellable, (connection, result) => {
                let pid;
                try {
                    [pid] = connection.call_finish(result).deepUnpack();
                } catch (e) {
                    refuse('The caller\'s process is unknown');
                    return;
                }
                // The link names the executable the process runs; a replaced or deleted one ends
                // in " (deleted)" and is refused with every other name.
                Gio.File.new_for_path(`/proc/${pid}/exe`).query_info_async(
                    Gio.FILE_ATTRIBUTE_STANDARD_SYMLINK_TARGET, Gio.FileQueryInfoFlags.NOFOLLOW_SYMLINKS,
                    GLib.PRIORITY_DEFAULT, this._cancellable, (file, linkResult) => {
                        let target = null;
                        try {
                            target = file.query_info_finish(linkResult).get_symlink_target();
                        } catch (e) {
                            refuse('The caller\'s executable cannot be read');
                            return;
                        }
                        if (this._cancellable.is_cancelled())
                            refuse('The companion is switched off');
                        else if (target === null || GLib.path_get_basename(target) !== CALLER_EXECUTABLE)
                            refuse(`Only ${CALLER_EXECUTABLE} may use the Quillora companion`);
                        else
                            action();
                    });
            });
    }

    _emit(signal) {
        if (this._subscriber !== null)
            Gio.DBus.session.emit_signal(this._subscriber, OBJECT_PATH, INTERFACE_NAME, signal, null);
    }

    // Follows `name` (a unique bus name, or null): when its connection closes, its shortcut goes.
    _setSubscriber(name) {
        if (this._subscriberWatch !== 0)
            Gio.bus_unwatch_name(this._subscriberWatch);
        this._subscriberWatch = 0;
        this._subscriber = name;
        if (name === null)
            return;
        this._subscriberWatch = Gio.bus_watch_name_on_connection(Gio.DBus.session, name,
            Gio.BusNameWatcherFlags.NONE, null, () => {
                if (this._subscriber !== name)
                    return;
                this._releaseShortcut();
                this._setSubscriber(null);
            });
    }

    _releaseShortcut() {
        if (this._shortcutAction === Meta.KeyBindingAction.NONE)
            return;
        Main.wm.allowKeybinding(Meta.external_binding_name_for_action(this._shortcutAction), Shell.ActionMode.NONE);
        global.display.ungrab_accelerator(this._shortcutAction);
        this._shortcutAction = Meta.KeyBindingAction.NONE;
    }
}

let companion = null;

function init() {
}

function enable() {
    companion = new ShellCompanion();
}

function disable() {
    companion.destroy();
    companion = null;
}
