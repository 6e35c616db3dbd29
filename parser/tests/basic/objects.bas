' Members of Me, constants and events of the module's object, With.

Dim count As Long
Sub Bump
 count = count + 1
End Sub
Function T()
 Bump
 Bump
 Me.Bump
 T = count
End Function
' expect: 3

Dim name As String
Function T() As String
 Me.name = "obj"
 T = name & Len(Me.name)
End Function
' expect: obj3

Const Answer = 42
Function T()
 T = Answer
End Function
' expect: 42

Dim v As Long
Function T()
 Dim o As Object
 Set o = Me
 o.v = 5
 T = v + o.v
End Function
' expect: 10

Dim hits As Long
Event Ping(n As Long)
Sub Ping(n As Long)
 hits = hits + n
End Sub
Function T()
 RaiseEvent Ping(5)
 RaiseEvent Ping(2)
 T = hits
End Function
' expect: 7

Dim v As Long
Function T()
 With Me
  .v = 4
 End With
 T = v
End Function
' expect: 4

' A member written with a value of another type is converted; the same type is stored as is.
Dim n As Integer
Dim d As Double
Function T() As String
 Dim i As Long
 For i = 1 To 3
  n = n + 1
  d = d + 0.5
 Next i
 n = 2.6
 Me.d = Me.d * 2
 T = n & " " & d
End Function
' expect: 3 3

' A Type object's members, read and written in a loop, keep their own types.
Type Pt
 Dim x As Long
 Dim s As String
End Type
Function T() As String
 Dim i As Long
 For i = 1 To 5
  Pt.x = Pt.x + i
  Pt.s = Pt.s & i
 Next i
 T = Pt.x & " " & Pt.s
End Function
' expect: 15 12345

' A member that is an object keeps the Set rules on the fast path.
Dim o As Object
Function T() As String
 Try
  o = 5
 Catch
  T = "refused"
 End Try
End Function
' expect: refused
