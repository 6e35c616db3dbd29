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
